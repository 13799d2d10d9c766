// spxjob: the program's command-line face. `spxjob --help` lists the commands.

#include <iostream>

#include "BundleCheck.h"
#include "ToolCommand.h"

namespace spx::tool {

namespace {

constexpr int kUsageError = 2;

// The options of spxjob itself, accepted before the command and among its options.
std::vector<OptionSpec> commonOptions()
{
    return {
        textOption("config", 0, "DIR", "read the resource bundle, the paper catalogue and the profile from DIR"),
        flagOption("help", 'h', "show the usage"),
    };
}

// The commands, in the order the usage lists them.
std::vector<ToolCommand> allCommands()
{
    std::vector<ToolCommand> commands{showCommand(), newCommand(), setCommand(), headerCommand()};
#ifdef SPX_TOOL_SPOOLER
    commands.push_back(sendCommand());
    commands.push_back(queuesCommand());
#endif
    return commands;
}

std::string commandSynopsis(const ToolCommand& command)
{
    std::string line = "spxjob [--config DIR] " + command.name;
    for (const OptionSpec& option : command.options)
        line += " " + optionSynopsis(option);
    return command.arguments.empty() ? line : line + " " + command.arguments;
}

// `left` padded to `width` columns, with at least two blanks before what follows.
std::string column(const std::string& left, std::size_t width)
{
    return left + std::string(left.size() + 2 > width ? 2 : width - left.size(), ' ');
}

// "-o, --output OUT": an option as the help lists it.
std::string optionLabel(const OptionSpec& option)
{
    std::string label = option.shortName ? std::string("-") + option.shortName + ", --" + option.name : "--" + option.name;
    return option.value == OptionValue::None ? label : label + " " + option.valueName;
}

void printUsage(std::ostream& out, const std::vector<ToolCommand>& commands)
{
    out << "usage: spxjob [--config DIR] COMMAND [OPTION...] [ARGUMENT...]\n\ncommands:\n";
    for (const ToolCommand& command : commands)
        out << "  " << column(command.name, 8) << command.summary << "\n";
    out << "\noptions of every command:\n";
    for (const OptionSpec& option : commonOptions())
        out << "  " << column(optionLabel(option), 20) << option.help << "\n";
    out << "\n`spxjob COMMAND --help` shows the options of a command.\n";
}

void printCommandHelp(std::ostream& out, const ToolCommand& command)
{
    out << "usage: " << commandSynopsis(command) << "\n" << command.summary << "\n";
    if (!command.options.empty())
        out << "\n";
    for (const OptionSpec& option : command.options)
        out << "  " << column(optionLabel(option), 20) << option.help << "\n";
}

int usageError(const std::string& error, const ToolCommand* command)
{
    std::cerr << "spxjob: " << error << "\n";
    if (command)
        std::cerr << "usage: " << commandSynopsis(*command) << "\n";
    else
        std::cerr << "`spxjob --help` lists the commands.\n";
    return kUsageError;
}

const ToolCommand* findCommand(const std::vector<ToolCommand>& commands, const std::string& name)
{
    for (const ToolCommand& command : commands)
        if (command.name == name)
            return &command;
    return nullptr;
}

// Parses the command's words, loads the configuration and runs the command.
int runCommand(const ToolCommand& command, const std::vector<std::string>& words, std::size_t start,
               const std::string& configFolder)
{
    ToolContext context;
    std::vector<OptionSpec> options = command.options;
    for (OptionSpec& common : commonOptions())
        options.push_back(std::move(common));
    std::size_t next = 0;
    std::string error;
    if (!parseOptions(words, start, options, ParseStop::AtEnd, context.options, next, error))
        return usageError(error, &command);
    if (context.options.has("help")) {
        printCommandHelp(std::cout, command);
        return 0;
    }
    const std::size_t count = context.options.positional().size();
    if (count < command.minArguments || count > command.maxArguments)
        return usageError(command.name + ": " + (count < command.minArguments ? "too few" : "too many")
                              + " arguments",
                          &command);
    const std::string& folder = context.options.has("config") ? context.options.text("config") : configFolder;
    if (!context.config.load(folder, error) || !checkBundle(context.config.strings, kResourceBundleName, error)) {
        std::cerr << error << "\n";
        return 1;
    }
    return command.run(context);
}

int runTool(const std::vector<std::string>& words)
{
    const std::vector<ToolCommand> commands = allCommands();
    ParsedOptions global;
    std::size_t next = 0;
    std::string error;
    if (!parseOptions(words, 0, commonOptions(), ParseStop::AtFirstPositional, global, next, error))
        return usageError(error, nullptr);
    // `spxjob help [COMMAND]` and `spxjob --help [COMMAND]` print the usage.
    const bool helpWord = next < words.size() && words[next] == "help";
    const bool help = helpWord || global.has("help");
    const std::size_t nameAt = helpWord ? next + 1 : next;
    if (nameAt >= words.size()) {
        printUsage(help ? std::cout : std::cerr, commands);
        return help ? 0 : kUsageError;
    }
    const std::string& name = words[nameAt];
    const ToolCommand* command = findCommand(commands, name);
    if (!command)
        return usageError("unknown command \"" + escapeControlBytes(name) + "\"", nullptr);
    if (help) {
        printCommandHelp(std::cout, *command);
        return 0;
    }
    return runCommand(*command, words, nameAt + 1, global.text("config"));
}

} // namespace
} // namespace spx::tool

int main(int argc, char** argv)
{
    return spx::tool::runTool(std::vector<std::string>(argv + 1, argv + argc));
}
