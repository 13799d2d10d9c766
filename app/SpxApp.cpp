#include "SpxApp.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QRegularExpression>
#include <QResource>
#include <algorithm>
#include <unistd.h>

#include "AboutBox.h"
#include "AppState.h"
#include "GuiStrings.h"
#include "MainFrame.h"
#include "MemoryPool.h"
#include "PageGlobals.h"
#include "QPropertyPage.h"
#include "QPropertySheet.h"
#include "SpxDoc.h"
#include "SpxView.h"

namespace spx::gui {

namespace {

CSpxApp* theApp = nullptr;

enum AppStringId {
    IdsAppTitle = 57344,
    IdsMissingConfigFile = 387,
    IdsHelpMissing = 448,
    IdsCommandLineJobFailed = 61215,
    IdsStartupText = 61210,
    IdsStartupMarkFirst = 61204,
    IdsStartupMarkLast = 61209,
    IdsStartupMark = 61214,
};

constexpr int kHelpContextGeneral = 2;

bool readable(const std::string& path)
{
    return fileExists(path) && ::access(path.c_str(), R_OK) == 0;
}

void postCommandToFrame(int commandId)
{
    if (theMainFrame)
        theMainFrame->OnCommand(commandId);
}

// The character after the first single "&" of a control's text, upper case; 0 when none.
QChar mnemonicOf(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&'))
            continue;
        if (text.at(i + 1) == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return text.at(i + 1).toUpper();
    }
    return {};
}

} // namespace

CSpxApp::CSpxApp(IDialogs& dialogs) : dialogs_(dialogs)
{
    appState() = AppState{};
    theApp = this;
}

CSpxApp::~CSpxApp()
{
    ExitInstance();
    if (theApp == this)
        theApp = nullptr;
}

CSpxApp* CSpxApp::instance() { return theApp; }

CSpxView* CSpxApp::view() const { return theView; }

std::string CSpxApp::text(int id) const { return config_.strings.text(id); }

bool CSpxApp::LoadConfiguration()
{
    programFolder.clear();
    paperDefinitionsFile.clear();
    itemDisablingFile.clear();
    helpFile.clear();
    profileFile.clear();

    const std::string folder = requestedFolder_.empty() ? executableFolder() : requestedFolder_;
    std::string error;
    if (!config_.load(folder, error)) {
        dialogs_.messageBox(error, MessageIcon::Stop, MessageButtons::Ok);
        return false;
    }
    // The same bundle serves the window's templates, menu and pictures.
    const QString bundle = QString::fromStdString(joinPath(folder, kResourceBundleName));
    if (!QResource::registerResource(bundle)) {
        dialogs_.messageBox(std::string("Missing file: ") + kResourceBundleName, MessageIcon::Stop, MessageButtons::Ok);
        return false;
    }
    registeredBundle_ = bundle;
    setStringTable(&config_.strings);
    programFolder = config_.folder;

    paperDefinitionsFile = config_.paperDefinitionsPath();
    if (!readable(paperDefinitionsFile)) {
        dialogs_.messageBox(text(IdsMissingConfigFile) + text(IdsPaperDefinitionsFile), MessageIcon::Stop,
                            MessageButtons::Ok);
        return false;
    }
    itemDisablingFile = config_.itemDisablingPath();
    if (!readable(itemDisablingFile)) {
        dialogs_.messageBox(text(IdsMissingConfigFile) + text(IdsItemDisablingFile), MessageIcon::Stop,
                            MessageButtons::Ok);
        return false;
    }
    // The program does not start on a rules file it cannot use; the message names the line.
    RulesError rulesError;
    if (!itemDisabling_.rules.LoadRules(itemDisablingFile, config_.strings, rulesError)) {
        dialogs_.messageBox(rulesFileMessage(config_.strings, rulesError), MessageIcon::Stop, MessageButtons::Ok);
        return false;
    }
    helpFile = config_.helpPath();
    if (!readable(helpFile)) {
        helpFile.clear();
        dialogs_.messageBox(text(IdsHelpFile) + text(IdsHelpMissing), MessageIcon::Exclamation, MessageButtons::Ok);
    }
    setHelpFile(QString::fromStdString(helpFile));
    profileFile = config_.profilePath();
    return true;
}

bool CSpxApp::InitInstance(const std::string& commandLine)
{
    if (!LoadConfiguration())
        return false;
    pool_ = std::make_unique<MemoryPool>(kPoolSize);
    MemoryPool::installGlobal(pool_.get());

    // The classic dialog colours: light grey with black text.
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Window, QColor(192, 192, 192));
    palette.setColor(QPalette::Button, QColor(192, 192, 192));
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::ButtonText, Qt::black);
    QApplication::setPalette(palette);
    setCommandPoster(&postCommandToFrame);

    if (!createFirstJob())
        return false;
    fillStartupRecord();
    if (!commandLine.empty())
        OpenByName(commandLine);
    frame_->setAcceptDrops(true);
    qApp->installEventFilter(this);
    return true;
}

bool CSpxApp::createFirstJob()
{
    document_ = std::make_unique<CSpxDoc>(config_, dialogs_);
    frame_ = std::make_unique<CMainFrame>(*this, document_.get());
    if (!frame_->OnCreate())
        return false;
    auto* view = new CSpxView(document_.get());
    frame_->SetView(view);
    if (!document_->OnNewDocument())
        return false;
    if (!view->OnInitialUpdate())
        return false;
    frame_->UpdateTitle();
    frame_->FitToView();
    frame_->show();
    return true;
}

void CSpxApp::fillStartupRecord()
{
    StartupRecord& record = appState().startup;
    record.value = 0;
    record.text = text(IdsStartupText);
    for (int id = IdsStartupMarkFirst; id <= IdsStartupMarkLast; ++id) {
        const std::string mark = text(id);
        record.marks[size_t(id - IdsStartupMarkFirst)] = mark.empty() ? '\0' : mark[0];
    }
    const std::string mark = text(IdsStartupMark);
    record.mark = mark.empty() ? '\0' : mark[0];
}

bool CSpxApp::OpenByName(const std::string& commandLine)
{
    if (!document_)
        return false;
    processFlags().openedByName = true;
    const bool opened = document_->OnOpenDocument(commandLine);
    if (opened) {
        if (CSpxView* v = view())
            v->OnInitialUpdate();
        if (frame_)
            frame_->UpdateTitle();
    } else if (frame_) {
        // A second word that begins with "/" marks a switch from a caller: no message then.
        const QStringList words = QString::fromStdString(commandLine).split(QRegularExpression(QStringLiteral("[ \t]+")),
                                                                            Qt::SkipEmptyParts);
        if (!(words.size() >= 2 && words[1].startsWith(QLatin1Char('/'))))
            dialogs_.messageBox(text(IdsCommandLineJobFailed) + "\n" + commandLine, MessageIcon::Stop,
                                MessageButtons::Ok);
    }
    return opened;
}

int CSpxApp::ExitInstance()
{
    if (qApp)
        qApp->removeEventFilter(this);
    delete aboutBox_;
    frame_.reset();
    document_.reset();
    setCommandPoster(nullptr);
    if (!registeredBundle_.isEmpty()) {
        QResource::unregisterResource(registeredBundle_);
        registeredBundle_.clear();
    }
    if (pool_) {
        MemoryPool::installGlobal(nullptr);
        pool_.reset();
    }
    if (stringTable() == &config_.strings)
        setStringTable(nullptr);
    return 0;
}

void CSpxApp::OnFileNew()
{
    if (!document_ || !document_->SaveModified())
        return;
    if (!document_->OnNewDocument())
        return;
    if (CSpxView* v = view())
        v->OnInitialUpdate();
    if (frame_)
        frame_->UpdateTitle();
}

void CSpxApp::OnFileOpen()
{
    if (!document_)
        return;
    processFlags().loading = true;
    document_->OnFileOpen();
    processFlags().loading = false;
    if (frame_)
        frame_->UpdateTitle();
}

void CSpxApp::OnAppAbout()
{
    CAboutBox box(frame_.get());
    aboutBox_ = &box;
    box.exec();
    aboutBox_ = nullptr;
}

void CSpxApp::OnHelp()
{
    if (!helpFile.empty())
        openHelp(kHelpContextGeneral);
}

bool CSpxApp::keyBelongsToMainWindow(QObject* watched) const
{
    if (!frame_ || !watched->isWidgetType() || QApplication::activeModalWidget())
        return false;
    return static_cast<QWidget*>(watched)->window() == frame_.get();
}

QWidget* CSpxApp::mnemonicTarget(QChar letter) const
{
    // The option page that is showing answers to the letter before the menu bar does.
    CQPropertySheet* sheet = theSheet;
    CQPropertyPage* page = sheet ? sheet->GetActivePage() : nullptr;
    if (!page)
        return nullptr;
    for (QWidget* widget : page->findChildren<QWidget*>()) {
        if (!widget->isVisible() || !widget->isEnabled())
            continue;
        if (auto* button = qobject_cast<QAbstractButton*>(widget); button && mnemonicOf(button->text()) == letter)
            return button;
        if (auto* label = qobject_cast<QLabel*>(widget);
            label && label->buddy() && label->buddy()->isEnabled() && mnemonicOf(label->text()) == letter)
            return label;
    }
    return nullptr;
}

bool CSpxApp::forwardMnemonic(QChar letter)
{
    QWidget* target = mnemonicTarget(letter);
    if (auto* button = qobject_cast<QAbstractButton*>(target)) {
        // A button is pressed; a check box or radio button changes as if clicked.
        button->setFocus(Qt::ShortcutFocusReason);
        button->animateClick();
        return true;
    }
    if (auto* label = qobject_cast<QLabel*>(target)) {
        label->buddy()->setFocus(Qt::ShortcutFocusReason);
        return true;
    }
    return false;
}

bool CSpxApp::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Control && type != QEvent::ShortcutOverride)
        appState().ctrlHeld = type == QEvent::KeyPress;
    if (type == QEvent::KeyRelease)
        return QObject::eventFilter(watched, event);
    if (!keyBelongsToMainWindow(watched))
        return QObject::eventFilter(watched, event);

    const Qt::KeyboardModifiers mods = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    // Alt with one of the menu's letters: the page's own control comes first.
    if (mods == Qt::AltModifier && key->key() >= Qt::Key_A && key->key() <= Qt::Key_Z
        && !appState().mnemonicForwardingSuppressed && QApplication::focusWidget()) {
        const QChar letter = QChar(key->key());
        const auto& menu = appState().menuMnemonics;
        const bool menuLetter = std::any_of(menu.begin(), menu.end(),
                                            [&](char c) { return c && QChar(c).toUpper() == letter; });
        if (menuLetter) {
            if (type == QEvent::ShortcutOverride) {
                // Claim the key from the menu bar when a page control answers to it.
                if (mnemonicTarget(letter)) {
                    event->accept();
                    return true;
                }
                return QObject::eventFilter(watched, event);
            }
            if (forwardMnemonic(letter))
                return true;
        }
    }
    if (type == QEvent::ShortcutOverride)
        return QObject::eventFilter(watched, event);

    if (key->key() == Qt::Key_Escape && view())
        view()->sending = false;   // a send in progress stops before its next file
    if (mods == Qt::ControlModifier) {
        switch (key->key()) {
        case Qt::Key_N: OnFileNew(); return true;
        case Qt::Key_O: OnFileOpen(); return true;
        case Qt::Key_P:
            if (CSpxView* v = view())
                v->OnSendCommand();
            return true;
        default: break;
        }
    }
    if (mods == Qt::NoModifier && key->key() == Qt::Key_F1) {
        OnHelp();
        return true;
    }
    if (mods == Qt::NoModifier && key->key() == Qt::Key_F5) {
        if (frame_)
            frame_->OnRefresh();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace spx::gui
