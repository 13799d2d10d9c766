#pragma once
// CQPropertySheet: the option sheet with its seven pages in a fixed order. Besides the stock tab
// widget it keeps a per-tab disabled state: a disabled tab keeps its place in the row, shows a
// grey label and cannot be entered, neither by mouse, keyboard nor from code. Every change of
// page goes through SetActivePage, which asks the page being left (OnKillActive) and the page
// being entered (OnSetActive).

#include <QTabBar>
#include <QTabWidget>
#include <array>
#include <cstdint>

namespace spx::gui {

class AppContext;
class CQPropertyPage;
class CQPropertySheet;

// The tab row: presses and keys that would change the page are turned into SetActivePage.
class CQTabBar : public QTabBar {
    Q_OBJECT
public:
    explicit CQTabBar(CQPropertySheet* sheet);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    CQPropertySheet* sheet_;
};

class CQPropertySheet : public QTabWidget {
    Q_OBJECT
public:
    static constexpr int kPageCount = 7;

    explicit CQPropertySheet(AppContext& context, QWidget* parent = nullptr);
    ~CQPropertySheet() override;

    AppContext& context() const { return context_; }
    // The page at `index` as its own class; null when it is another one.
    template <class Page>
    Page* page(int index) const { return qobject_cast<Page*>(widget(index)); }
    // True while a press on a tab is being turned into a change of page.
    bool handlingClick() const { return handlingClick_ > 0; }

    void AddPage(CQPropertyPage* page);
    CQPropertyPage* GetPage(int index) const;
    int GetPageCount() const { return count(); }
    int GetActiveIndex() const { return currentIndex(); }
    CQPropertyPage* GetActivePage() const { return GetPage(currentIndex()); }

    // Shows the sheet with page 0 selected (its window created and entered).
    void CreateSheetWindow();
    // The only way to another page; false when the current page refuses to be left or the
    // target cannot be entered. The target's window is created either way.
    bool SetActivePage(int index);

    void DisableTab(int index);
    bool EnableTab(int index);
    bool IsTabDisabled(int index) const;

    bool SavePages(int index);   // -1: every page, results combined with OR
    bool LoadPages(int index);
    void FocusActivePage();
    void InitTabLabels();
    void RefreshDisabledTabs();
    QTabBar* GetTabControl() const { return tabBar(); }

    virtual bool QueryLeavePage(int index);
    virtual bool ActivePageHasSelection();

    bool tabsInitialised() const { return tabsInitialised_; }
    bool redrawEnabled() const { return redrawEnabled_; }
    // Switching repainting back on shows every tab as its state now is, as the next paint of
    // the row would.
    void setRedrawEnabled(bool enabled);
    // Brings a page to the front for a picture of the window, whatever its tab's state, without
    // asking any page (the screenshot facility only).
    void ShowPageForPicture(int index);
    // What the tab row shows at the moment: true while the label is drawn grey.
    bool TabShownDisabled(int index) const;
    QString TabLabel(int index) const;

    // The tab under the last press in the row (-1: elsewhere); kept in the context.
    int clickedTab() const;

    // Next tab that can be entered from `from` going `step` (+1/-1), wrapping round or not;
    // -1 when there is none.
    int NextEnterableTab(int from, int step, bool wrap) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TabRecord {
        QString label;
        bool enabled = true;   // false while the label is to be drawn grey
    };
    void paintTab(int index);
    void onCurrentChanged(int index);

    friend class CQTabBar;
    AppContext& context_;
    std::array<TabRecord, kPageCount> records_{};
    int handlingClick_ = 0;
    bool tabsInitialised_ = false;
    bool redrawEnabled_ = true;
    int switching_ = 0;
    int shownIndex_ = -1;
};

} // namespace spx::gui
