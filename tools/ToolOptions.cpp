#include "ToolOptions.h"

#include "WholeNumber.h"

namespace spx::tool {

namespace {

const std::string kNoText;

const OptionSpec* findLong(const std::vector<OptionSpec>& options, std::string_view name)
{
    for (const OptionSpec& option : options)
        if (option.name == name)
            return &option;
    return nullptr;
}

const OptionSpec* findShort(const std::vector<OptionSpec>& options, char letter)
{
    for (const OptionSpec& option : options)
        if (option.shortName != 0 && option.shortName == letter)
            return &option;
    return nullptr;
}

std::string joined(const std::vector<std::string>& words)
{
    std::string out;
    for (const std::string& word : words)
        out += (out.empty() ? "" : ", ") + word;
    return out;
}

// Checks a value against its option; empty when it fits, else what is wrong with it.
std::string checkValue(const OptionSpec& option, const std::string& value)
{
    if (value.empty())
        return "the value is empty";
    if (option.value == OptionValue::Number) {
        long long number = 0;
        if (!parseWholeNumber(value, number))
            return "not a number";
        if (number < option.minimum || number > option.maximum)
            return value + " is out of range (" + std::to_string(option.minimum) + " to "
                   + std::to_string(option.maximum) + ")";
    }
    if (option.value == OptionValue::Choice) {
        for (const std::string& choice : option.choices)
            if (choice == value)
                return {};
        return "takes one of " + joined(option.choices) + ", not \"" + value + "\"";
    }
    return {};
}

// One word that begins with "-": finds its option and its value, which is attached to the word
// ("--wait=5", "-o=x", "-ox") or the next word. Advances `i` past what it consumed.
bool readOption(const std::vector<std::string>& words, std::size_t& i, const std::vector<OptionSpec>& options,
                ParsedOptions& out, std::string& error)
{
    const std::string& word = words[i];
    const bool isLong = word.rfind("--", 0) == 0;
    const std::size_t nameEnd = isLong ? word.find('=') : 2;
    const std::string written = word.substr(0, nameEnd);
    const OptionSpec* option = isLong ? findLong(options, std::string_view(written).substr(2))
                                      : findShort(options, word[1]);
    if (!option) {
        error = "unknown option " + written;
        return false;
    }
    const bool attached = nameEnd != std::string::npos && nameEnd < word.size();
    ++i;
    if (option->value == OptionValue::None) {
        if (attached) {
            error = written + ": takes no value";
            return false;
        }
        out.set(option->name, "1");
        return true;
    }
    std::string value;
    if (attached) {
        value = isLong ? word.substr(nameEnd + 1) : word.substr(word[2] == '=' ? 3 : 2);
    } else if (i < words.size()) {
        value = words[i++];
    } else {
        error = written + ": a value is missing";
        return false;
    }
    const std::string why = checkValue(*option, value);
    if (!why.empty()) {
        error = written + ": " + why;
        return false;
    }
    out.set(option->name, value);
    return true;
}

} // namespace

OptionSpec flagOption(std::string name, char shortName, std::string help)
{
    OptionSpec option;
    option.name = std::move(name);
    option.shortName = shortName;
    option.help = std::move(help);
    return option;
}

OptionSpec textOption(std::string name, char shortName, std::string valueName, std::string help, bool required)
{
    OptionSpec option = flagOption(std::move(name), shortName, std::move(help));
    option.value = OptionValue::Text;
    option.valueName = std::move(valueName);
    option.required = required;
    return option;
}

OptionSpec numberOption(std::string name, std::string valueName, long long minimum, long long maximum, std::string help)
{
    OptionSpec option = textOption(std::move(name), 0, std::move(valueName), std::move(help));
    option.value = OptionValue::Number;
    option.minimum = minimum;
    option.maximum = maximum;
    return option;
}

OptionSpec choiceOption(std::string name, std::vector<std::string> choices, std::string help)
{
    OptionSpec option = textOption(std::move(name), 0, {}, std::move(help));
    option.value = OptionValue::Choice;
    for (const std::string& choice : choices)
        option.valueName += (option.valueName.empty() ? "" : "|") + choice;
    option.choices = std::move(choices);
    return option;
}

const std::string& ParsedOptions::text(std::string_view name) const
{
    auto found = values_.find(name);
    return found == values_.end() ? kNoText : found->second;
}

long long ParsedOptions::number(std::string_view name, long long fallback) const
{
    long long value = fallback;
    auto found = values_.find(name);
    return found != values_.end() && parseWholeNumber(found->second, value) ? value : fallback;
}

bool parseOptions(const std::vector<std::string>& words, std::size_t start, const std::vector<OptionSpec>& options,
                  ParseStop stop, ParsedOptions& out, std::size_t& next, std::string& error)
{
    std::size_t i = start;
    while (i < words.size()) {
        const std::string& word = words[i];
        if (word == "--") {
            ++i;
            if (stop == ParseStop::AtEnd)
                for (; i < words.size(); ++i)
                    out.addPositional(words[i]);
            break;
        }
        if (word.size() > 1 && word[0] == '-') {
            if (!readOption(words, i, options, out, error))
                return false;
            continue;
        }
        if (stop == ParseStop::AtFirstPositional)
            break;
        out.addPositional(word);
        ++i;
    }
    next = i;
    if (stop == ParseStop::AtEnd && !out.has("help"))
        for (const OptionSpec& option : options)
            if (option.required && !out.has(option.name)) {
                error = optionSynopsis(option) + " is required";
                return false;
            }
    return true;
}

std::string optionSynopsis(const OptionSpec& option)
{
    std::string text = option.shortName ? std::string("-") + option.shortName : "--" + option.name;
    if (option.value != OptionValue::None)
        text += " " + option.valueName;
    return option.required ? text : "[" + text + "]";
}

} // namespace spx::tool
