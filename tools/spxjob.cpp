// spxjob: the program's command-line face. `spxjob help` lists the commands.

#include <algorithm>
#include <cstdio>
#include <iostream>

#include "ToolCommand.h"

namespace spx::tool {

std::vector<ToolCommand>& toolCommands()
{
    static std::vector<ToolCommand> commands;
    return commands;
}

MessageAnswer ConsoleDialogs::messageBox(const std::string& text, MessageIcon, MessageButtons buttons,
                                         const std::string& caption)
{
    if (!quiet)
        std::cerr << (caption.empty() ? "" : caption + ": ") << text << "\n";
    return defaultAnswer(buttons);
}

void ConsoleDialogs::statusText(const std::string& text)
{
    if (!quiet)
        std::cout << text << "\n";
}

} // namespace spx::tool

namespace {
int usage()
{
    std::cerr << "usage: spxjob [--config DIR] COMMAND ...\n";
    auto commands = spx::tool::toolCommands();
    std::sort(commands.begin(), commands.end(), [](auto& a, auto& b) { return a.name < b.name; });
    for (const auto& command : commands)
        std::cerr << "  spxjob " << command.usage << "\n";
    return 2;
}
} // namespace

int main(int argc, char** argv)
{
    using namespace spx::tool;
    ToolContext context;
    std::string configFolder;
    std::string commandName;
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (word == "--config" && i + 1 < argc)
            configFolder = argv[++i];
        else if (word.rfind("--config=", 0) == 0)
            configFolder = word.substr(9);
        else if (commandName.empty())
            commandName = word;
        else
            context.args.push_back(word);
    }
    if (commandName.empty() || commandName == "help" || commandName == "--help")
        return usage();
    auto& commands = toolCommands();
    auto found = std::find_if(commands.begin(), commands.end(), [&](auto& c) { return c.name == commandName; });
    if (found == commands.end()) {
        std::cerr << "spxjob: unknown command \"" << commandName << "\"\n";
        return usage();
    }
    std::string error;
    if (!context.config.load(configFolder, error)) {
        std::cerr << error << "\n";
        return 1;
    }
    return found->run(context);
}
