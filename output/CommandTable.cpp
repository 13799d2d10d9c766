#include "CommandTable.h"

#include <cstdio>

#include "StringTable.h"

namespace spx {

namespace {

constexpr SlotRole kUnused{SlotKind::Unused, ""};
constexpr SlotRole line(const char* arguments = "") { return {SlotKind::Line, arguments}; }
constexpr SlotRole kWord{SlotKind::Word, ""};
constexpr SlotRole kVerbatim{SlotKind::Verbatim, ""};

struct RoleTable {
    SlotRole roles[kCommandSlots + 1];
    constexpr RoleTable() : roles{}
    {
        for (auto& role : roles)
            role = kUnused;
        for (int slot : {2, 3, 6, 9, 13, 14, 15, 16, 23, 24, 25, 27, 39, 51, 52, 53, 127, 131, 133, 135, 136,
                         151, 155, 156, 157, 158, 159, 160, 161, 162, 164, 167, 168, 169, 170, 173, 174})
            roles[slot] = line();
        for (int slot : {7, 8, 11, 12, 18, 19, 20, 29, 30, 49, 108, 109, 132, 166})
            roles[slot] = line("s");
        roles[5] = line("d");
        roles[10] = line("d");
        roles[38] = line("d");
        roles[21] = line("dd");
        roles[22] = line("ds");
        roles[26] = line("sssss");
        roles[28] = line("sssss");
        for (int slot : {48, 50, 99, 130, 134, 152})
            roles[slot] = line("ss");
        roles[121] = line("sssssss");
        for (int slot : {125, 128, 129, 145})
            roles[slot] = line("sss");
        for (int slot = 40; slot <= 47; ++slot)
            roles[slot] = kWord;
        for (int slot = 55; slot <= 65; ++slot)
            roles[slot] = kWord;
        for (int slot = 89; slot <= 95; ++slot)
            roles[slot] = kWord;
        for (int slot : {112, 113, 123, 124, 138, 139, 144, 146, 147, 148, 153, 154, 163, 171, 172})
            roles[slot] = kWord;
        for (int slot : {4, 54, 143})
            roles[slot] = kVerbatim;
    }
};
constexpr RoleTable kRoles;

// One conversion of a format string.
struct Conversion {
    std::string_view flags;
    int width = -1;
    int precision = -1;
    bool hasLength = false;
    char letter = 0;       // 's', a number letter, or '%' for a literal percent sign
};

constexpr int kMaxWidth = 255;   // wider fields are refused: a bundle cannot make a header explode

bool isNumberLetter(char c) { return c == 'd' || c == 'i' || c == 'u' || c == 'x' || c == 'X' || c == 'o' || c == 'c'; }

// Parses the conversion that starts at format[pos] == '%'. Advances pos past it.
bool parseConversion(std::string_view format, size_t& pos, Conversion& out, std::string* why)
{
    size_t i = pos + 1;
    size_t flagsStart = i;
    while (i < format.size() && (format[i] == '-' || format[i] == '+' || format[i] == ' ' || format[i] == '#' || format[i] == '0'))
        ++i;
    out.flags = format.substr(flagsStart, i - flagsStart);
    auto readNumber = [&](int& value) {
        if (i >= format.size() || format[i] < '0' || format[i] > '9')
            return true;
        value = 0;
        while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
            value = value * 10 + (format[i] - '0');
            if (value > kMaxWidth)
                return false;
            ++i;
        }
        return true;
    };
    if (!readNumber(out.width)) {
        if (why) *why = "field width above 255";
        return false;
    }
    if (i < format.size() && format[i] == '.') {
        ++i;
        out.precision = 0;
        if (!readNumber(out.precision)) {
            if (why) *why = "precision above 255";
            return false;
        }
    }
    if (i < format.size() && format[i] == 'h') {
        out.hasLength = true;
        ++i;
        if (i < format.size() && format[i] == 'h')
            ++i;
    } else if (i < format.size() && format[i] == 'l') {
        out.hasLength = true;
        ++i;
        if (i < format.size() && format[i] == 'l')
            ++i;
    }
    if (i >= format.size()) {
        if (why) *why = "a lone % at the end";
        return false;
    }
    out.letter = format[i];
    pos = i + 1;
    if (out.letter == '%') {
        if (!out.flags.empty() || out.width >= 0 || out.precision >= 0 || out.hasLength) {
            if (why) *why = "a malformed %%";
            return false;
        }
        return true;
    }
    if (out.letter == 's') {
        if (out.hasLength) {
            if (why) *why = "a wide text conversion";
            return false;
        }
        return true;
    }
    if (isNumberLetter(out.letter))
        return true;
    if (why) *why = std::string("the conversion %") + out.letter + " is not allowed";
    return false;
}

void appendText(std::string& out, const Conversion& c, std::string_view text)
{
    if (c.precision >= 0 && text.size() > size_t(c.precision))
        text = text.substr(0, size_t(c.precision));
    size_t pad = c.width > 0 && size_t(c.width) > text.size() ? size_t(c.width) - text.size() : 0;
    bool left = c.flags.find('-') != std::string_view::npos;
    if (!left)
        out.append(pad, ' ');
    out.append(text);
    if (left)
        out.append(pad, ' ');
}

void appendNumber(std::string& out, const Conversion& c, long long value)
{
    std::string spec = "%";
    spec.append(c.flags);
    if (c.width >= 0)
        spec += std::to_string(c.width);
    if (c.precision >= 0) {
        spec += '.';
        spec += std::to_string(c.precision);
    }
    char buffer[kMaxWidth * 2 + 64];
    int written;
    if (c.letter == 'c') {
        spec += 'c';
        written = std::snprintf(buffer, sizeof buffer, spec.c_str(), int(static_cast<unsigned char>(value)));
    } else if (c.letter == 'd' || c.letter == 'i') {
        spec += "ll";
        spec += c.letter;
        written = std::snprintf(buffer, sizeof buffer, spec.c_str(), value);
    } else {
        spec += "ll";
        spec += c.letter;
        written = std::snprintf(buffer, sizeof buffer, spec.c_str(), static_cast<unsigned long long>(value));
    }
    if (written > 0)
        out.append(buffer, std::min(size_t(written), sizeof buffer - 1));
}

} // namespace

SlotRole commandSlotRole(int slot)
{
    if (slot < 1 || slot > kCommandSlots)
        return kUnused;
    return kRoles.roles[slot];
}

bool conversionsFit(std::string_view format, std::string_view arguments, bool exact, std::string* why)
{
    size_t used = 0;
    for (size_t pos = 0; pos < format.size();) {
        if (format[pos] != '%') {
            ++pos;
            continue;
        }
        Conversion c;
        if (!parseConversion(format, pos, c, why))
            return false;
        if (c.letter == '%')
            continue;
        if (used >= arguments.size()) {
            if (why) *why = "more conversions than arguments (" + std::to_string(arguments.size()) + ")";
            return false;
        }
        bool wantsText = arguments[used] == 's';
        if (wantsText != (c.letter == 's')) {
            if (why)
                *why = "argument " + std::to_string(used + 1) + " is a " + (wantsText ? "text" : "number") + ", not %" + c.letter;
            return false;
        }
        ++used;
    }
    if (exact && used != arguments.size()) {
        if (why) *why = "uses " + std::to_string(used) + " of " + std::to_string(arguments.size()) + " arguments";
        return false;
    }
    return true;
}

std::string formatCommand(std::string_view format, std::initializer_list<CommandArgument> args)
{
    std::string kinds;
    for (const auto& a : args)
        kinds += a.isText ? 's' : 'd';
    if (!conversionsFit(format, kinds, false))
        return {};
    std::string out;
    out.reserve(format.size() + 32);
    auto next = args.begin();
    for (size_t pos = 0; pos < format.size();) {
        size_t percent = format.find('%', pos);
        if (percent == std::string_view::npos) {
            out.append(format.substr(pos));
            break;
        }
        out.append(format.substr(pos, percent - pos));
        pos = percent;
        Conversion c;
        parseConversion(format, pos, c, nullptr);
        if (c.letter == '%') {
            out += '%';
            continue;
        }
        const CommandArgument& a = *next++;
        if (a.isText)
            appendText(out, c, a.text);
        else
            appendNumber(out, c, a.number);
    }
    return out;
}

int CommandTable::baseId(int printerLanguage)
{
    return printerLanguage == 0 ? kCommandBasePostScript : printerLanguage == 1 ? kCommandBasePcl : 0;
}

bool CommandTable::LoadCommandTable(const StringTable& strings, int printerLanguage)
{
    int base = baseId(printerLanguage);
    if (base == 0)
        return false;
    rejected_.clear();
    for (int i = 1; i <= kCommandSlots; ++i) {
        std::string text = strings.ansi(base + i - 1);
        if (text.size() > kCommandSlotBytes)
            text.resize(kCommandSlotBytes);
        SlotRole role = commandSlotRole(i);
        if (role.kind == SlotKind::Line && !conversionsFit(text, role.arguments, false)) {
            rejected_.push_back(i);
            text.clear();
        }
        slots_[i] = std::move(text);
    }
    loaded_ = true;
    printerLanguage_ = printerLanguage;
    return true;
}

const std::string& CommandTable::slot(int i) const
{
    static const std::string empty;
    return i >= 1 && i <= kCommandSlots ? slots_[i] : empty;
}

std::string CommandTable::format(int i, std::initializer_list<CommandArgument> args) const
{
    const std::string& f = slot(i);
    return f.empty() ? std::string() : formatCommand(f, args);
}

} // namespace spx
