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
#include "BundleCheck.h"
#include "MainFrame.h"
#include "MemoryPool.h"
#include "PageIds.h"
#include "QPropertyPage.h"
#include "QPropertySheet.h"
#include "SpxDoc.h"
#include "SpxView.h"
#ifdef SPX_HAVE_CUPS
#include "CupsSpooler.h"
#endif

namespace spx::gui {

namespace {

enum AppStringId {
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

QPalette ClassicPalette()
{
    // The classic dialog colours on the whole window, whatever the desktop's palette is: a
    // light grey form, white fields, black text, and grey text on whatever is disabled.
    const QColor form(192, 192, 192);
    const QColor greyText(128, 128, 128);
    QPalette palette(Qt::black, form, Qt::white, greyText, QColor(160, 160, 160), Qt::black, Qt::white, Qt::white, form);
    palette.setColor(QPalette::Highlight, QColor(0, 0, 128));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, QColor(255, 255, 225));
    palette.setColor(QPalette::ToolTipText, Qt::black);
    palette.setColor(QPalette::PlaceholderText, greyText);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, greyText);
    palette.setColor(QPalette::Disabled, QPalette::Base, form);
    palette.setColor(QPalette::Disabled, QPalette::Highlight, greyText);
    return palette;
}

CSpxApp::CSpxApp(IDialogs& dialogs) : context_(config_.strings, dialogs)
{
    context_.setConfiguration(&config_);
#ifdef SPX_HAVE_CUPS
    context_.setSpoolerFactory([] { return std::make_unique<CupsSpooler>(); });
#endif
}

CSpxApp::~CSpxApp() { ExitInstance(); }

CSpxView* CSpxApp::view() const { return context_.view(); }

std::string CSpxApp::text(int id) const { return config_.strings.text(id); }

bool CSpxApp::LoadConfiguration()
{
    programFolder.clear();
    paperDefinitionsFile.clear();
    itemDisablingFile.clear();
    helpFile.clear();
    profileFile.clear();

    std::string error;
    if (!config_.load(requestedFolder_, error) || !checkBundle(config_.strings, kResourceBundleName, error)) {
        dialogs().messageBox(error, MessageIcon::Stop, MessageButtons::Ok);
        return false;
    }
    // The same bundle serves the window's templates, menu and pictures.
    const QString bundle = QString::fromStdString(config_.bundlePath());
    if (!QResource::registerResource(bundle)) {
        dialogs().messageBox(damagedBundleMessage(kResourceBundleName, {"the window's resources cannot be read"}),
                             MessageIcon::Stop, MessageButtons::Ok);
        return false;
    }
    registeredBundle_ = bundle;
    programFolder = config_.folder;

    paperDefinitionsFile = config_.paperDefinitionsPath();
    if (!readable(paperDefinitionsFile)) {
        dialogs().messageBox(text(IdsMissingConfigFile) + text(IdsPaperDefinitionsFile), MessageIcon::Stop,
                            MessageButtons::Ok);
        return false;
    }
    itemDisablingFile = config_.itemDisablingPath();
    if (!readable(itemDisablingFile)) {
        dialogs().messageBox(text(IdsMissingConfigFile) + text(IdsItemDisablingFile), MessageIcon::Stop,
                            MessageButtons::Ok);
        return false;
    }
    // The program does not start on a rules file it cannot use; the message names the line.
    RulesError rulesError;
    if (!itemDisabling_.rules.LoadRules(itemDisablingFile, config_.strings, rulesError)) {
        dialogs().messageBox(rulesFileMessage(config_.strings, rulesError), MessageIcon::Stop, MessageButtons::Ok);
        return false;
    }
    helpFile = config_.helpPath();
    if (!readable(helpFile)) {
        helpFile.clear();
        dialogs().messageBox(text(IdsHelpFile) + text(IdsHelpMissing), MessageIcon::Exclamation, MessageButtons::Ok);
    }
    context_.setHelpFile(QString::fromStdString(helpFile));
    profileFile = config_.profilePath();
    return true;
}

bool CSpxApp::InitInstance(const std::string& commandLine)
{
    if (!LoadConfiguration())
        return false;
    pool_ = std::make_unique<MemoryPool>(kPoolSize);
    MemoryPool::installGlobal(pool_.get());

    QApplication::setPalette(ClassicPalette());
    context_.setCommandHandler([this](int commandId) {
        if (frame_)
            frame_->OnCommand(commandId);
    });

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
    document_ = std::make_unique<CSpxDoc>(config_, dialogs());
    context_.setDocument(document_.get());
    frame_ = std::make_unique<CMainFrame>(*this, context_);
    if (!frame_->OnCreate())
        return false;
    auto* view = new CSpxView(context_);
    frame_->SetView(view);
    if (!document_->OnNewDocument())
        return false;
    if (!view->OnInitialUpdate())
        return false;
    frame_->UpdateTitle();
    frame_->FitToView();
    frame_->show();
    frame_->FitToView();   // again with the title bar and borders the desktop gave the frame
    return true;
}

void CSpxApp::fillStartupRecord()
{
    StartupRecord& record = context_.state().startup;
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
    document_->flags().openedByName = true;
    const bool opened = document_->OnOpenDocument(commandLine);
    if (opened) {
        if (CSpxView* v = view()) {
            v->OnInitialUpdate();
            v->OnUpdate();   // the job's page and the tabs its settings mode allows
        }
        if (frame_)
            frame_->UpdateTitle();
    } else if (frame_) {
        // A second word that begins with "/" marks a switch from a caller: no message then.
        const QStringList words = QString::fromStdString(commandLine).split(QRegularExpression(QStringLiteral("[ \t]+")),
                                                                            Qt::SkipEmptyParts);
        if (!(words.size() >= 2 && words[1].startsWith(QLatin1Char('/'))))
            dialogs().messageBox(text(IdsCommandLineJobFailed) + "\n" + commandLine, MessageIcon::Stop,
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
    context_.setView(nullptr);
    context_.setDocument(nullptr);
    document_.reset();
    context_.setCommandHandler(nullptr);
    if (!registeredBundle_.isEmpty()) {
        QResource::unregisterResource(registeredBundle_);
        registeredBundle_.clear();
    }
    if (pool_) {
        MemoryPool::installGlobal(nullptr);
        pool_.reset();
    }
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
    const ScopedFlag loading(document_->flags().loading);
    document_->OnFileOpen();
    if (frame_)
        frame_->UpdateTitle();
}

void CSpxApp::OnAppAbout()
{
    CAboutBox box(context_, frame_.get());
    aboutBox_ = &box;
    box.exec();
    aboutBox_ = nullptr;
}

void CSpxApp::OnHelp()
{
    context_.showHelp(kHelpContextGeneral);
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
    CQPropertySheet* sheet = context_.sheet();
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
        context_.state().ctrlHeld = type == QEvent::KeyPress;
    if (type == QEvent::KeyRelease)
        return QObject::eventFilter(watched, event);
    if (!keyBelongsToMainWindow(watched))
        return QObject::eventFilter(watched, event);

    const Qt::KeyboardModifiers mods = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    // Alt with one of the menu's letters: the page's own control comes first.
    if (mods == Qt::AltModifier && key->key() >= Qt::Key_A && key->key() <= Qt::Key_Z
        && !context_.state().mnemonicForwardingSuppressed && QApplication::focusWidget()) {
        const QChar letter = QChar(key->key());
        const auto& menu = context_.state().menuMnemonics;
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
