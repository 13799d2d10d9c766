#include "MainFrame.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "AppContext.h"
#include "BitmapButton.h"
#include "Commands.h"
#include "FileSelectPage.h"
#include "PageIds.h"
#include "QDialogBar.h"
#include "QPropertySheet.h"
#include "RecentFilesMenu.h"
#include "SharedStringIds.h"
#include "SpxApp.h"
#include "SpxView.h"

namespace spx::gui {

namespace {
constexpr int kMenuResource = 2;
constexpr int kDialogBarTemplate = 159;
constexpr int IdsReady = 57345;
constexpr int IdsSending = 411;
constexpr int IdsQuitQuestion = 378;

// The widget an edit command goes to: the focused edit, or the one inside a combo box.
QWidget* editTarget(QWidget* focus)
{
    if (auto* combo = qobject_cast<QComboBox*>(focus); combo && combo->lineEdit())
        return combo->lineEdit();
    return focus;
}

void deleteSelection(QLineEdit* edit)
{
    if (edit->hasSelectedText())
        edit->del();
}
void deleteSelection(QPlainTextEdit* edit) { edit->textCursor().removeSelectedText(); }
void deleteSelection(QTextEdit* edit) { edit->textCursor().removeSelectedText(); }

// The five edit commands on one kind of edit control.
template <class Edit>
void applyEditCommand(Edit* edit, int id)
{
    switch (id) {
    case ID_EDIT_CUT: edit->cut(); break;
    case ID_EDIT_COPY: edit->copy(); break;
    case ID_EDIT_PASTE: edit->paste(); break;
    case ID_EDIT_UNDO: edit->undo(); break;
    case ID_EDIT_CLEAR: deleteSelection(edit); break;
    default: break;
    }
}
} // namespace

bool CMainFrame::RunEditCommand(QWidget* target, int id)
{
    if (auto* line = qobject_cast<QLineEdit*>(target))
        applyEditCommand(line, id);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(target))
        applyEditCommand(plain, id);
    else if (auto* rich = qobject_cast<QTextEdit*>(target))
        applyEditCommand(rich, id);
    else
        return false;
    return true;
}

CMainFrame::CMainFrame(CSpxApp& app, AppContext& context)
    : app_(app), context_(context), document_(context.document())
{
    setObjectName(QStringLiteral("mainFrame"));
    // A window of fixed size: no maximise button, no resizing border.
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
}

CMainFrame::~CMainFrame() = default;

std::array<char, 4> CMainFrame::MenuMnemonics(const QStringList& titles)
{
    std::array<char, 4> letters{};
    for (int i = 0; i < 4 && i < titles.size(); ++i) {
        const QString& title = titles[i];
        const qsizetype amp = title.indexOf(QLatin1Char('&'));
        if (amp >= 0 && amp + 1 < title.size())
            letters[size_t(i)] = title.at(amp + 1).toLatin1();
    }
    return letters;
}

bool CMainFrame::OnCreate()
{
    body_ = new QWidget(this);
    auto* layout = new QVBoxLayout(body_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setCentralWidget(body_);
    scroll_ = new QScrollArea(body_);
    scroll_->setObjectName(QStringLiteral("formArea"));
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    layout->addWidget(scroll_, 1);

    // The frame opens without its dialog bar when the bar cannot be made.
    dialogBar_ = new CQDialogBar(body_);
    if (dialogBar_->Create(kDialogBarTemplate)) {
        layout->addWidget(dialogBar_);
        connect(dialogBar_, &CQDialogBar::sendClicked, this, [this] { OnCommand(ID_SEND); });
        SetStatusText(context_.text(IdsReady));
    } else {
        delete dialogBar_;
        dialogBar_ = nullptr;
    }

    loadMenu(QStringLiteral(":/menu/%1.menu").arg(kMenuResource));
    QStringList titles;
    for (QAction* top : menuBar()->actions())
        titles << top->text();
    context_.state().menuMnemonics = MenuMnemonics(titles);
    if (document_) {
        recentFiles_ = new RecentFilesMenu(*this, *document_, app_.dialogs(), app_.config().userProfilePath());
        recentFiles_->attach(action(ID_FILE_MRU_FILE1));
    }

    setAcceptDrops(false);   // from the end of start-up on
    connect(qApp, &QGuiApplication::applicationStateChanged, this, &CMainFrame::onApplicationStateChanged);
    connect(qApp, &QApplication::focusChanged, this, &CMainFrame::onFocusChanged);
    return true;
}

bool CMainFrame::loadMenu(const QString& resourcePath)
{
    QFile file(resourcePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QList<QMenu*> stack;
    while (!file.atEnd()) {
        QString line = QString::fromUtf8(file.readLine());
        if (const qsizetype hash = line.indexOf(QLatin1Char('#')); hash >= 0)
            line.truncate(hash);
        const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty())
            continue;
        const QString& kind = words[0];
        if (kind == QLatin1String("popup") && words.size() >= 2) {
            const QString title = context_.text(words[1].toInt());
            QMenu* menu = stack.isEmpty() ? menuBar()->addMenu(title) : stack.last()->addMenu(title);
            if (stack.isEmpty()) {
                menus_ << menu;
                connect(menu, &QMenu::aboutToShow, this, [this] {
                    UpdateCommandUI();
                    if (view_)
                        view_->SetMenuOpen(true);
                });
                connect(menu, &QMenu::aboutToHide, this, [this] {
                    if (view_)
                        view_->SetMenuOpen(false);
                });
            } else {
                connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
            }
            stack << menu;
        } else if (kind == QLatin1String("end") && !stack.isEmpty()) {
            stack.removeLast();
        } else if (kind == QLatin1String("separator") && !stack.isEmpty()) {
            stack.last()->addSeparator();
        } else if (kind == QLatin1String("item") && words.size() >= 3 && !stack.isEmpty()) {
            const int id = words[1].toInt();
            QAction* action = stack.last()->addAction(context_.text(words[2].toInt()));
            action->setData(id);
            connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
            actions_.insert(id, action);
        }
    }
    // Save works from every control; the other shortcuts are the keystroke filter's.
    if (QAction* save = action(ID_FILE_SAVE))
        save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    return true;
}

void CMainFrame::SetView(CSpxView* view)
{
    if (!view && scroll_)
        scroll_->takeWidget();
    view_ = view;
    context_.setView(view);
    if (!view_)
        return;
    scroll_->setWidget(view_);
    connect(view_, &CSpxView::sheetCreated, this, &CMainFrame::onSheetCreated);
    connect(view_, &CSpxView::jobModifiedChanged, this, &QWidget::setWindowModified);
}

QSize CMainFrame::roomOnScreen() const
{
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return {QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
    // The title bar and borders, as the window manager draws them; before the first showing an
    // estimate of the title bar.
    const QSize decoration = isVisible() ? frameGeometry().size() - size()
                                         : QSize(0, style()->pixelMetric(QStyle::PM_TitleBarHeight));
    return screen->availableGeometry().size() - decoration;
}

void CMainFrame::FitToView()
{
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    // The whole form where the screen has room for it; otherwise as much as fits, the form
    // scrolls inside the frame and the dialog bar with the send button stays in view.
    if (view_)
        scroll_->setMinimumSize(view_->sizeHint());
    adjustSize();
    QSize wanted = sizeHint();
    scroll_->setMinimumSize(0, 0);
    const QSize room = roomOnScreen();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    if (wanted.height() > room.height())
        wanted.rwidth() += bar;
    if (wanted.width() > room.width())
        wanted.rheight() += bar;
    setFixedSize(wanted.boundedTo(room));
    if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        QRect frame = frameGeometry();
        frame.moveCenter(available.center());
        move(std::max(frame.left(), available.left()), std::max(frame.top(), available.top()));
    }
}

void CMainFrame::onSheetCreated()
{
    FitToView();
    putSendLastInTabOrder();
    if (view_ && view_->sheet())
        view_->sheet()->FocusActivePage();
}

void CMainFrame::putSendLastInTabOrder()
{
    QWidget* send = dialogBar_ ? dialogBar_->sendButton() : nullptr;
    if (!send)
        return;
    // The send button is the last stop of the Tab key, after every control of the form.
    QWidget* last = nullptr;
    for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain())
        if (w != send && (w->focusPolicy() & Qt::TabFocus) && isAncestorOf(w))
            last = w;
    if (last)
        setTabOrder(last, send);
}

void CMainFrame::UpdateTitle()
{
    // The job file's name (not its folder) with the modified mark, then the program.
    QString title = QString::fromStdString(context_.title());
    if (document_) {
        const std::string& path = document_->pathName();
        const std::string name = path.empty() ? document_->title() : path.substr(path.find_last_of('/') + 1);
        if (!name.empty())
            title = QString::fromStdString(name) + QStringLiteral("[*] - ") + title;
        setWindowModified(document_->IsModified());
    }
    setWindowTitle(title);
}

void CMainFrame::SetStatusText(const QString& text)
{
    if (dialogBar_)
        dialogBar_->SetText(text);
}

bool CMainFrame::IsCommandEnabled(int id) const
{
    switch (id) {
    case ID_EDIT_CUT:
    case ID_EDIT_COPY:
    case ID_EDIT_CLEAR:
        return view_ && view_->sheet() && view_->sheet()->ActivePageHasSelection();
    case ID_EDIT_PASTE: {
        const QString text = QApplication::clipboard()->text();
        return !text.isEmpty() && text.at(0) != QChar(0);
    }
    case ID_EDIT_UNDO:
        return QApplication::focusWidget() != nullptr;
    case ID_HELP_CONTENTS:
        return context_.hasHelp();
    case ID_CHANGE_PASSWORD:
    case ID_PAPER_CATALOGUE:
        return view_ && view_->IsUnlocked();
    default:
        return true;
    }
}

void CMainFrame::UpdateCommandUI()
{
    for (auto it = actions_.cbegin(); it != actions_.cend(); ++it)
        it.value()->setEnabled(IsCommandEnabled(it.key()));
    if (QAction* lock = action(ID_MENU_LOCK))
        lock->setText(view_ && !view_->IsUnlocked() ? QStringLiteral("Enable") : QStringLiteral("Disable"));
}

void CMainFrame::sendEditCommand(int id)
{
    // Like a posted message: the command reaches the control once the menu has closed.
    QTimer::singleShot(0, this, [this, id] {
        QWidget* target = editTarget(QApplication::focusWidget());
        if (!RunEditCommand(target, id) && editBeforeMenu_)
            RunEditCommand(editBeforeMenu_, id);
    });
}

void CMainFrame::OnCommand(int id)
{
    switch (id) {
    case ID_FILE_NEW: app_.OnFileNew(); break;
    case ID_FILE_OPEN: app_.OnFileOpen(); break;
    case ID_FILE_SAVE:
        if (document_)
            document_->DoFileSave();
        UpdateTitle();
        break;
    case ID_FILE_SAVE_AS:
        if (document_)
            document_->OnFileSaveAs();
        UpdateTitle();
        break;
    case ID_FILE_PRINT:
    case ID_SEND:
        if (view_)
            view_->OnSendCommand();
        break;
    case ID_EDIT_CUT:
    case ID_EDIT_COPY:
    case ID_EDIT_PASTE:
    case ID_EDIT_UNDO:
    case ID_EDIT_CLEAR:
        sendEditCommand(id);
        break;
    case ID_APP_ABOUT: app_.OnAppAbout(); break;
    case ID_APP_EXIT: close(); break;
    case ID_QUIT:
        if (app_.dialogs().messageBox(context_.text(IdsQuitQuestion).toStdString(), MessageIcon::Question,
                                      MessageButtons::YesNo) == MessageAnswer::Yes)
            QTimer::singleShot(0, this, [this] { OnCommand(ID_APP_EXIT); });
        break;
    case ID_HELP_CONTENTS: context_.showHelp(0); break;
    case ID_REFRESH: OnRefresh(); break;
    default:
        // The administrator commands (menu lock, paper catalogue, password) come with the
        // access dialogs.
        break;
    }
}

bool CMainFrame::OnClose()
{
    if (view_) {
        if (view_->sending) {
            app_.dialogs().messageBox(context_.text(IdsSending).toStdString(), MessageIcon::Exclamation,
                                      MessageButtons::Ok);
            return false;
        }
        if (!view_->CanClose())
            return false;
    }
    if (document_) {
        if (!document_->SaveModified())
            return false;
        document_->SetModifiedFlag(false);
    }
    return true;
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (closing_ || OnClose()) {
        closing_ = true;
        event->accept();
    } else {
        event->ignore();
    }
}

void CMainFrame::OnRefresh()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (auto* files = view_ && view_->sheet() ? view_->sheet()->page<CFileSelectPage>(PageFileSelect) : nullptr)
        files->RefreshFolders();
    QApplication::restoreOverrideCursor();
}

void CMainFrame::onFocusChanged(QWidget* old, QWidget* now)
{
    // The menu bar takes the focus when it is opened from the keyboard; the edit commands go
    // to the edit that had it.
    if (now && (now == menuBar() || qobject_cast<QMenu*>(now)) && old && isAncestorOf(old))
        editBeforeMenu_ = old;
    else if (now && isAncestorOf(now))
        editBeforeMenu_ = nullptr;
}

void CMainFrame::onApplicationStateChanged(Qt::ApplicationState state)
{
    if (skipActivation_) {
        skipActivation_ = false;
        return;
    }
    if (state == Qt::ApplicationActive && view_)
        view_->RefreshQueuesOnActivate();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    OnDropFiles(paths);
}

void CMainFrame::OpenDroppedJob(const QString& path)
{
    if (!document_)
        return;
    // As File > Open: the changes of the current job are asked for first; Cancel keeps it.
    const ScopedFlag loading(document_->flags().loading);
    if (!document_->SaveModified() || (view_ && !view_->validateAndStorePages()))
        return;
    document_->OpenJobFile(path.toStdString());
    document_->SetModifiedFlag(false);
    UpdateTitle();
}

void CMainFrame::OnDropFiles(const QStringList& paths)
{
    activateWindow();
    const QString jobSuffix = QLatin1Char('.') + context_.text(IdsJobExtension);
    for (const QString& path : paths) {
        // Only a name that ends in the job file extension is a job file; a print file whose
        // name merely contains those letters joins the file list like any other.
        if (paths.size() == 1 && jobSuffix.size() > 1 && path.endsWith(jobSuffix, Qt::CaseInsensitive)) {
            OpenDroppedJob(path);
            break;
        }
        CQPropertySheet* sheet = view_ ? view_->sheet() : nullptr;
        if (!sheet)
            break;
        sheet->SetActivePage(PageFileSelect);
        if (auto* files = sheet->page<CFileSelectPage>(PageFileSelect))
            files->AddFile(path, true);
    }
    activateWindow();
}

} // namespace spx::gui
