#pragma once
// CQPropertyPage: the base of the seven option pages. A page is created empty; the sheet gives
// it its window (the controls of its dialog template) the first time it is activated, and the
// page then runs OnInitDialog. Controls are found by their numeric id, as the templates and
// the item-disabling rules name them.
//
// The page protocol: SaveToDocument and LoadFromDocument copy the controls to and from the job
// document; QueryLeave commits a pending edit (false keeps the sheet on the page);
// HasEditSelection enables the Edit menu; GetPaperSource answers the paper combo boxes;
// GetFocusControlId names the control that gets the focus when the sheet focuses the page.

#include <QHash>
#include <QLabel>
#include <QWidget>
#include <array>
#include <initializer_list>

#include "AppContext.h"

namespace spx {
class CSpxDoc;
}

namespace spx::gui {

class CQPropertySheet;
class IPaperSource;

// The small window beside an open paper list that describes the highlighted paper (template
// 223, five texts 1114 to 1118).
class CPaperInfoPopup : public QWidget {
    Q_OBJECT
public:
    explicit CPaperInfoPopup(QWidget* owner);
    void SetTexts(const std::array<QString, 5>& texts);
    QString Text(int which) const;   // 0..4

private:
    std::array<QLabel*, 5> labels_{};
};

class CQPropertyPage : public QWidget {
    Q_OBJECT
public:
    CQPropertyPage(AppContext& context, int templateId, CQPropertySheet* sheet, int focusControlId,
                   int captionStringId, QWidget* parent = nullptr);
    ~CQPropertyPage() override;

    // --- the page protocol ------------------------------------------------------------
    virtual bool SaveToDocument() { return true; }
    virtual bool LoadFromDocument() { return true; }
    virtual bool QueryLeave() { return true; }
    virtual bool HasEditSelection() { return false; }
    virtual IPaperSource* GetPaperSource() { return nullptr; }
    virtual int GetFocusControlId() { return focusControlId_; }

    // --- life of the page window ------------------------------------------------------
    // Loads the template and runs OnInitDialog the first time; true when the window exists.
    // OnInitDialog loads the controls from the document.
    bool CreatePageWindow();
    bool HasWindow() const { return hasWindow_; }
    virtual bool OnInitDialog();
    bool CanEnter() const;          // a page with no tab index or a disabled tab cannot be entered
    virtual bool OnSetActive();     // entering: load, store, remember the active page
    virtual bool OnKillActive();    // leaving: false keeps the sheet on this page

    // --- controls ---------------------------------------------------------------------
    QWidget* GetDlgItem(int id) const { return controls_.value(id, nullptr); }
    template <class T>
    T* Item(int id) const { return qobject_cast<T*>(GetDlgItem(id)); }
    QList<int> ControlIds() const { return controls_.keys(); }
    // True when an edit control holds a selection as the Edit menu counts it: the selection
    // ends past the second character and starts before it ends.
    static bool EditHasSelection(const QWidget* edit);
    // True when one of the page's edit controls with these ids has a selection.
    bool AnyEditHasSelection(std::initializer_list<int> ids) const;

    int templateId() const { return templateId_; }
    AppContext& context() const { return context_; }
    CSpxDoc* document() const { return context_.document(); }
    CQPropertySheet* sheet() const { return sheet_; }
    bool initialised() const { return initialised_; }
    int tabIndex() const { return tabIndex_; }
    void setTabIndex(int index) { tabIndex_ = static_cast<int16_t>(index); }
    QString caption() const { return caption_; }

    CPaperInfoPopup* paperInfoPopup();
    void HidePaperInfo();

    // The page that holds `widget`, if any.
    static CQPropertyPage* pageOf(const QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AppContext& context_;
    int templateId_;
    CQPropertySheet* sheet_;
    int focusControlId_;
    int captionStringId_;
    bool initialised_ = false;
    bool hasWindow_ = false;
    int16_t tabIndex_ = -1;
    QString caption_;
    QHash<int, QWidget*> controls_;
    CPaperInfoPopup* popup_ = nullptr;
};

} // namespace spx::gui
