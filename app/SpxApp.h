#pragma once
// CSpxApp: the application object. It finds the program's files beside the executable, loads
// the resource bundle, creates the memory pool, the job document, the main window and the view,
// opens a job file named on the command line, and filters keystrokes before the windows get
// them (Ctrl+N, Ctrl+O, Ctrl+P, F1, F5, Esc, and the Alt letters of the menu, which reach the
// option pages first).

#include <QObject>
#include <QPalette>
#include <QPointer>
#include <memory>
#include <string>

#include "AboutBox.h"
#include "AppContext.h"
#include "Configuration.h"
#include "Dialogs.h"
#include "rules/ItemDisabling.h"

namespace spx {
class CSpxDoc;
class MemoryPool;
}

namespace spx::gui {

class CMainFrame;
class CSpxView;

// The colours of the whole window: light grey form, white fields, grey disabled text.
QPalette ClassicPalette();

class CSpxApp : public QObject {
    Q_OBJECT
public:
    static constexpr uint32_t kPoolSize = 1572864;   // 1.5 MiB

    explicit CSpxApp(IDialogs& dialogs);
    ~CSpxApp() override;

    // A folder that holds all of the program's files; empty: the data and configuration
    // folders the installation gives (Configuration.h).
    void setProgramFolder(const std::string& folder) { requestedFolder_ = folder; }

    bool LoadConfiguration();
    // `commandLine`: the words after the program name, joined by blanks.
    bool InitInstance(const std::string& commandLine);
    int ExitInstance();
    bool OpenByName(const std::string& commandLine);

    void OnFileNew();
    void OnFileOpen();
    void OnAppAbout();
    void OnHelp();

    // The dialogs with the program's title on every message.
    IDialogs& dialogs() { return context_.dialogs(); }
    AppContext& context() { return context_; }
    const Configuration& config() const { return config_; }
    ItemDisabling& itemDisabling() { return itemDisabling_; }   // the rules read at start-up
    CSpxDoc* document() const { return document_.get(); }
    CMainFrame* mainFrame() const { return frame_.get(); }
    CSpxView* view() const;
    CAboutBox* aboutBox() const { return aboutBox_; }

    std::string programFolder;
    std::string paperDefinitionsFile;
    std::string itemDisablingFile;
    std::string helpFile;
    std::string profileFile;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;   // the keystroke filter

private:
    bool createFirstJob();
    void fillStartupRecord();
    QWidget* mnemonicTarget(QChar letter) const;
    bool forwardMnemonic(QChar letter);
    bool keyBelongsToMainWindow(QObject* watched) const;
    std::string text(int id) const;

    std::string requestedFolder_;
    Configuration config_;
    ItemDisabling itemDisabling_;
    AppContext context_;
    QString registeredBundle_;
    std::unique_ptr<MemoryPool> pool_;
    std::unique_ptr<CSpxDoc> document_;
    std::unique_ptr<CMainFrame> frame_;
    QPointer<CAboutBox> aboutBox_;
};

} // namespace spx::gui
