#pragma once
// CMainFrame: the program's single top-level window. It holds the view with the option sheet
// and the dialog bar, builds its menu from the resource bundle, routes the commands, accepts
// dropped files and refuses to close while a job is being sent.

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <array>

class QAction;
class QMenu;
class QScrollArea;

namespace spx {
class CSpxDoc;
}

namespace spx::gui {

class AppContext;
class CQDialogBar;
class RecentFilesMenu;
class CSpxView;
class CSpxApp;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame(CSpxApp& app, AppContext& context);
    ~CMainFrame() override;

    // Builds the menu, the view and the dialog bar; the view is made by the caller's File New.
    bool OnCreate();
    void SetView(CSpxView* view);
    CSpxView* view() const { return view_; }
    CQDialogBar* dialogBar() const { return dialogBar_; }
    RecentFilesMenu* recentFiles() const { return recentFiles_; }
    QScrollArea* formArea() const { return scroll_; }
    CSpxDoc* document() const { return document_; }
    AppContext& context() const { return context_; }

    // Runs a command as the menu would.
    void OnCommand(int id);
    // Updates the enabled state and texts of the menu entries.
    void UpdateCommandUI();
    bool IsCommandEnabled(int id) const;
    QAction* action(int id) const { return actions_.value(id, nullptr); }

    // The closing procedure; true when the window may close.
    bool OnClose();
    void OnRefresh();
    // Dropped files: one job file opens as the job, anything else joins the file list.
    void OnDropFiles(const QStringList& paths);
    void OpenDroppedJob(const QString& path);
    // Fits the window around the view and centres it on the screen.
    void FitToView();
    void UpdateTitle();
    void SetStatusText(const QString& text);

    // Runs an edit command (cut, copy, paste, undo, clear) on an edit control; false when
    // `target` is none.
    static bool RunEditCommand(QWidget* target, int id);

    // Letters of the first four menu titles (0 where a title has none).
    static std::array<char, 4> MenuMnemonics(const QStringList& titles);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool loadMenu(const QString& resourcePath);
    void sendEditCommand(int id);
    void onApplicationStateChanged(Qt::ApplicationState state);
    void onFocusChanged(QWidget* old, QWidget* now);
    void onSheetCreated();
    void putSendLastInTabOrder();
    QSize roomOnScreen() const;

    CSpxApp& app_;
    AppContext& context_;
    CSpxDoc* document_;
    CSpxView* view_ = nullptr;
    CQDialogBar* dialogBar_ = nullptr;
    RecentFilesMenu* recentFiles_ = nullptr;
    QWidget* body_ = nullptr;
    QScrollArea* scroll_ = nullptr;   // the form, scrolled when the screen is too small for it
    QPointer<QWidget> editBeforeMenu_;   // the edit that had the focus when the menu took it
    QHash<int, QAction*> actions_;
    QList<QMenu*> menus_;
    bool closing_ = false;
    bool skipActivation_ = true;   // the activation at start-up does not refresh
};

} // namespace spx::gui
