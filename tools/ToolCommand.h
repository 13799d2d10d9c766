#pragma once
// The subcommands of spxjob. Each command lives in a file of its own and registers itself with a
// static ToolCommandRegistrar; main() parses the common options and dispatches.

#include <functional>
#include <string>
#include <vector>

#include "Configuration.h"
#include "Dialogs.h"

namespace spx::tool {

// Messages go to stderr, questions take the default answer (there is nobody to ask), file
// dialogs are cancelled.
class ConsoleDialogs : public IDialogs {
public:
    MessageAnswer messageBox(const std::string& text, MessageIcon icon, MessageButtons buttons,
                             const std::string& caption = {}) override;
    FileDialogResult saveFileName(const FileDialogRequest&) override { return {}; }
    FileDialogResult openFileName(const FileDialogRequest&) override { return {}; }
    void statusText(const std::string& text) override;
    bool quiet = false;
};

struct ToolContext {
    Configuration config;
    ConsoleDialogs dialogs;
    std::vector<std::string> args;   // the words after the command name, common options removed
};

struct ToolCommand {
    std::string name;
    std::string usage;   // one line, shown by `spxjob help`
    std::function<int(ToolContext&)> run;   // exit status
};

std::vector<ToolCommand>& toolCommands();

struct ToolCommandRegistrar {
    explicit ToolCommandRegistrar(ToolCommand command) { toolCommands().push_back(std::move(command)); }
};

} // namespace spx::tool
