#pragma once
// AppContext: what the parts of the window share. The application object makes one and hands
// it to the main frame, the view, the option sheet and the pages; tests make their own. It
// holds the strings, the dialogs, the job document, the help file, the way to reach a spooler,
// the keyboard and start-up state the pages read, and the window parts that others must reach
// (the view, and through it the sheet, through which the pages reach each other).

#include <QObject>
#include <QString>
#include <QUrl>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "Dialogs.h"
#include "PageIds.h"

namespace spx {
class CSpxDoc;
class Spooler;
class StringTable;
struct Configuration;
struct ProcessFlags;
} // namespace spx

namespace spx::gui {

class CSpxView;
class CQPropertySheet;

inline constexpr int IdsAppTitle = 57344;
inline constexpr int IdsHelpNotShown = 61240;
// The program's title where no string table is loaded yet (the start-up messages).
inline constexpr const char* kProgramTitle = "spxl Print Submitter";

struct StartupRecord {
    int value = 0;                 // the printer page reads this one
    std::string text;              // string 61210
    std::array<char, 6> marks{};   // first characters of strings 61204..61209
    char mark = 0;                 // first character of string 61214
};

// The keyboard and start-up state the application object keeps and the pages read.
struct AppState {
    bool ctrlHeld = false;                     // a Ctrl key is down
    bool mnemonicForwardingSuppressed = false; // the view runs modal work
    std::array<int, 12> controlEnable{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    std::string controlEnableText;
    std::array<char, 4> menuMnemonics{};       // letters of the first four menu titles
    StartupRecord startup;
    bool restorePage = false;                  // show the job's own page after start-up
    // Per tab: disabled (1) or not. Outlives a sheet; a new sheet clears it.
    std::array<int32_t, PageCount> tabDisabled{};
    int clickedTab = -1;                       // the tab under the last press in the row
};

// Every message without a caption of its own carries the program's title, from the first
// start-up message on.
class TitledDialogs : public IDialogs {
public:
    TitledDialogs(IDialogs& inner, std::function<std::string()> title)
        : inner_(inner), title_(std::move(title)) {}
    MessageAnswer messageBox(const std::string& text, MessageIcon icon, MessageButtons buttons,
                             const std::string& caption = {}) override;
    FileDialogResult saveFileName(const FileDialogRequest& request) override { return inner_.saveFileName(request); }
    FileDialogResult openFileName(const FileDialogRequest& request) override { return inner_.openFileName(request); }
    void statusText(const std::string& text) override { inner_.statusText(text); }

private:
    IDialogs& inner_;
    std::function<std::string()> title_;
};

class AppContext : public QObject {
    Q_OBJECT
public:
    using SpoolerFactory = std::function<std::unique_ptr<Spooler>()>;
    using UrlOpener = std::function<bool(const QUrl&)>;
    using CommandHandler = std::function<void(int commandId)>;

    AppContext(const StringTable& strings, IDialogs& dialogs);
    ~AppContext() override;
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    // --- strings and dialogs -------------------------------------------------------------
    const StringTable& strings() const { return strings_; }
    QString text(int id) const;   // empty for a missing id
    std::string title() const;    // string 57344, or the built-in title before it is loaded
    IDialogs& dialogs() { return dialogs_; }
    const Configuration* configuration() const { return configuration_; }
    void setConfiguration(const Configuration* configuration) { configuration_ = configuration; }

    // --- the job and its flags -------------------------------------------------------------
    CSpxDoc* document() const { return document_; }
    void setDocument(CSpxDoc* document) { document_ = document; }
    // The document's process flags (loading, opened by name, ...); null without a document.
    ProcessFlags* flags() const;
    AppState& state() { return state_; }
    const AppState& state() const { return state_; }

    // --- help ------------------------------------------------------------------------------
    void setHelpFile(const QString& path) { helpFile_ = path; }
    const QString& helpFile() const { return helpFile_; }
    bool hasHelp() const { return !helpFile_.isEmpty(); }
    // Opens the help file at a context (0: its beginning). False, with a message to the
    // operator, when there is no help file or nothing can show it.
    bool showHelp(int context);
    void setUrlOpener(UrlOpener opener) { urlOpener_ = std::move(opener); }

    // --- the spooler -------------------------------------------------------------------------
    void setSpoolerFactory(SpoolerFactory factory) { spoolerFactory_ = std::move(factory); }
    std::unique_ptr<Spooler> makeSpooler() const;

    // --- commands and window parts -------------------------------------------------------
    // A command for the main frame, carried out once the current event is done (Ctrl+P and
    // Ctrl+S typed in a page's edit).
    void setCommandHandler(CommandHandler handler) { commandHandler_ = std::move(handler); }
    void postCommand(int commandId);
    CSpxView* view() const { return view_; }
    void setView(CSpxView* view) { view_ = view; }
    CQPropertySheet* sheet() const;

private:
    const StringTable& strings_;
    TitledDialogs dialogs_;
    const Configuration* configuration_ = nullptr;
    CSpxDoc* document_ = nullptr;
    AppState state_;
    QString helpFile_;
    UrlOpener urlOpener_;
    SpoolerFactory spoolerFactory_;
    CommandHandler commandHandler_;
    CSpxView* view_ = nullptr;
};

} // namespace spx::gui
