#pragma once
// The seam between the program's logic and the person at the screen. The window program answers
// with real message boxes and file dialogs, the command-line tools on the terminal, and tests
// with answers queued in advance (ScriptedDialogs).

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace spx {

enum class MessageIcon { None, Stop, Exclamation, Question, Information };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct FileDialogRequest {
    std::string defaultExtension;   // without the dot
    std::string initialName;        // "*.spx" and the like
    std::string filter;             // display text of the filter, e.g. "Job files (*.spx)"
    std::string initialFolder;
    std::string title;              // empty: the dialog's own title
    bool mustExist = false;
    bool overwritePrompt = false;
};

// The outcome of a file dialog: a chosen path, a cancel, or a failure of the dialog itself.
struct FileDialogResult {
    enum class Kind { Chosen, Cancelled, Failed } kind = Kind::Cancelled;
    std::string path;
};

class IDialogs {
public:
    virtual ~IDialogs() = default;
    // Texts are UTF-8. `caption` empty means the program's own title.
    virtual MessageAnswer messageBox(const std::string& text, MessageIcon icon,
                                     MessageButtons buttons, const std::string& caption = {}) = 0;
    virtual FileDialogResult saveFileName(const FileDialogRequest& request) = 0;
    virtual FileDialogResult openFileName(const FileDialogRequest& request) = 0;
    // One-line status text (the dialog bar's status field in the window).
    virtual void statusText(const std::string& text) { (void)text; }
};

// Answers queued by a test or a script; every message shown is recorded.
class ScriptedDialogs : public IDialogs {
public:
    struct Shown {
        std::string text;
        MessageIcon icon;
        MessageButtons buttons;
        std::string caption;
    };

    void setNextAnswer(MessageAnswer answer) { answers_.push_back(answer); }
    void setNextFileName(const std::string& path) { files_.push_back({FileDialogResult::Kind::Chosen, path}); }
    void setNextFileDialogCancelled() { files_.push_back({FileDialogResult::Kind::Cancelled, {}}); }
    void setNextFileDialogFailed() { files_.push_back({FileDialogResult::Kind::Failed, {}}); }

    MessageAnswer messageBox(const std::string& text, MessageIcon icon, MessageButtons buttons,
                             const std::string& caption = {}) override;
    FileDialogResult saveFileName(const FileDialogRequest& request) override;
    FileDialogResult openFileName(const FileDialogRequest& request) override;
    void statusText(const std::string& text) override { statusTexts.push_back(text); }

    std::vector<Shown> shown;
    std::vector<FileDialogRequest> fileRequests;
    std::vector<std::string> statusTexts;

private:
    FileDialogResult nextFile(const FileDialogRequest& request);
    std::deque<MessageAnswer> answers_;
    std::deque<FileDialogResult> files_;
};

// Default answer when nothing was queued: the first button (Ok or Yes).
MessageAnswer defaultAnswer(MessageButtons buttons);

} // namespace spx
