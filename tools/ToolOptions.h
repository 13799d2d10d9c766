#pragma once
// The one option parser of spxjob. Every command declares its options in a small table; the
// parser reads "--name=value", "--name value", "-x value", "-x=value" and "-xvalue" alike,
// checks numbers and choices, and names the option in every error ("--wait: not a number").

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace spx::tool {

enum class OptionValue { None, Text, Number, Choice };

struct OptionSpec {
    std::string name;                  // long name without the dashes: "queue"
    char shortName = 0;                // 'o' for -o; 0 when the option has no short form
    OptionValue value = OptionValue::None;
    std::string valueName;             // shown in the usage: "SECONDS"
    std::string help;                  // one line for `COMMAND --help`
    bool required = false;
    long long minimum = 0;             // Number
    long long maximum = 0;
    std::vector<std::string> choices;  // Choice
};

// The kinds of option, as a command's table lists them.
OptionSpec flagOption(std::string name, char shortName, std::string help);
OptionSpec textOption(std::string name, char shortName, std::string valueName, std::string help, bool required = false);
OptionSpec numberOption(std::string name, std::string valueName, long long minimum, long long maximum, std::string help);
OptionSpec choiceOption(std::string name, std::vector<std::string> choices, std::string help);

// What a command line gave: option values by long name, and the other words in order.
class ParsedOptions {
public:
    bool has(std::string_view name) const { return values_.find(std::string(name)) != values_.end(); }
    // The value of an option; empty when it was not given.
    const std::string& text(std::string_view name) const;
    // The value of a Number option (already checked), or `fallback` when it was not given.
    long long number(std::string_view name, long long fallback) const;
    const std::vector<std::string>& positional() const { return positional_; }

    void set(const std::string& name, std::string value) { values_[name] = std::move(value); }
    void addPositional(std::string word) { positional_.push_back(std::move(word)); }

private:
    std::map<std::string, std::string, std::less<>> values_;
    std::vector<std::string> positional_;
};

// Where parsing stops: at the end, or at the first word that is not an option (the command name
// after spxjob's own options).
enum class ParseStop { AtEnd, AtFirstPositional };

// Parses `words` from `start` against `options`. Options and other words may be mixed; "--"
// ends the options. On success `next` is the index of the first word not consumed. On failure
// `error` names the option as it was written and says what is wrong.
bool parseOptions(const std::vector<std::string>& words, std::size_t start, const std::vector<OptionSpec>& options,
                  ParseStop stop, ParsedOptions& out, std::size_t& next, std::string& error);

// "--queue QUEUE", "-o OUT", "[--wait SECONDS]": an option as the usage line shows it.
std::string optionSynopsis(const OptionSpec& option);

} // namespace spx::tool
