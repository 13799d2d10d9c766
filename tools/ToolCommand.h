#pragma once
// The commands of spxjob. Each command file offers a function that describes its command (name,
// options, arguments, the function that runs it); spxjob.cpp keeps the list of them.

#include <cstddef>
#include <string>
#include <vector>

#include "Configuration.h"
#include "Dialogs.h"
#include "ToolOptions.h"

namespace spx::tool {

// Messages go to stderr, questions take the default answer (there is nobody to ask), file
// dialogs are cancelled. Control bytes from names are escaped, so a name cannot fake a line.
class ConsoleDialogs : public IDialogs {
public:
    MessageAnswer messageBox(const std::string& text, MessageIcon icon, MessageButtons buttons,
                             const std::string& caption = {}) override;
    FileDialogResult saveFileName(const FileDialogRequest&) override { return {}; }
    FileDialogResult openFileName(const FileDialogRequest&) override { return {}; }
    void statusText(const std::string& text) override;
    bool quiet = false;
};

// Control bytes (below 0x20 and 0x7f) as \xHH; with `keepLineBreaks` a "\n" stays as it is.
std::string escapeControlBytes(const std::string& text, bool keepLineBreaks = false);

struct ToolContext {
    Configuration config;
    ConsoleDialogs dialogs;
    ParsedOptions options;   // the command's options and arguments, spxjob's own options removed
};

struct ToolCommand {
    std::string name;
    std::string arguments;   // the words after the options in the usage: "JOBFILE FIELD=VALUE..."
    std::string summary;     // one line for `spxjob --help`
    std::vector<OptionSpec> options;
    std::size_t minArguments = 0;
    std::size_t maxArguments = 0;   // kAnyCount: no upper limit
    int (*run)(ToolContext&) = nullptr;   // exit status
};

inline constexpr std::size_t kAnyCount = static_cast<std::size_t>(-1);

// The commands, one function per command file.
ToolCommand showCommand();
ToolCommand newCommand();
ToolCommand setCommand();
ToolCommand headerCommand();
ToolCommand sendCommand();
ToolCommand queuesCommand();

} // namespace spx::tool
