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
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "AppContext.h"
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
    view_ = view;
    context_.setView(view);
    if (!view_)
        return;
    view_->setParent(body_);
    static_cast<QVBoxLayout*>(body_->layout())->insertWidget(0, view_);
    connect(view_, &CSpxView::sheetCreated, this, &CMainFrame::FitToView);
}

void CMainFrame::FitToView()
{
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    adjustSize();
    setFixedSize(sizeHint());
    if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = geometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void CMainFrame::UpdateTitle()
{
    QString title = context_.text(IdsAppTitle);
    if (document_ && !document_->title().empty())
        title = QString::fromStdString(document_->title()) + QStringLiteral(" - ") + title;
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
    QTimer::singleShot(0, this, [this, id] { RunEditCommand(editTarget(QApplication::focusWidget()), id); });
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

void CMainFrame::OnDropFiles(const QStringList& paths)
{
    activateWindow();
    const QString jobSuffix = QLatin1Char('.') + context_.text(IdsJobExtension);
    for (const QString& path : paths) {
        // Only a name that ends in the job file extension is a job file; a print file whose
        // name merely contains those letters joins the file list like any other.
        if (paths.size() == 1 && jobSuffix.size() > 1 && path.endsWith(jobSuffix, Qt::CaseInsensitive)) {
            if (document_) {
                document_->OpenJobFile(path.toStdString());
                document_->SetModifiedFlag(false);
            }
            UpdateTitle();
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
