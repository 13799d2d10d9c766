#pragma once
// The command string table: 180 format strings per printer language, taken from the string
// table at every generation (PostScript printers: ids 2430..2609, PCL printers: ids 2250..2429;
// slot i holds id base + i - 1). Every slot has a fixed role: a line that is formatted and
// written, a word that is only passed as an argument, or a text copied as it stands.
//
// Format strings come from the resource bundle, which an administrator may edit. They are never
// handed to printf: formatCommand() checks every conversion against the slot's arguments, and a
// line whose conversions do not fit its role is loaded as an empty slot and reported.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace spx {

class StringTable;

inline constexpr int kCommandSlots = 180;
inline constexpr int kCommandBasePostScript = 2430;
inline constexpr int kCommandBasePcl = 2250;
inline constexpr size_t kCommandSlotBytes = 255;   // longer texts are cut

enum class SlotKind { Unused, Line, Word, Verbatim };

// The role of a slot: its kind and, for lines, its arguments in order ('s' a text, 'd' a number).
struct SlotRole {
    SlotKind kind;
    const char* arguments;
};
SlotRole commandSlotRole(int slot);

// One argument of a command line.
struct CommandArgument {
    // Implicit on purpose: call sites read like printf arguments.
    CommandArgument(std::string_view value) : isText(true), text(value) {}
    CommandArgument(const std::string& value) : isText(true), text(value) {}
    CommandArgument(const char* value) : isText(true), text(value) {}
    CommandArgument(long long value) : isText(false), number(value) {}
    CommandArgument(long value) : isText(false), number(value) {}
    CommandArgument(int value) : isText(false), number(value) {}
    bool isText;
    std::string_view text;
    long long number = 0;
};

// Checks the conversions of `format` against `arguments` ('s'/'d' letters). With `exact` the
// format must consume every argument; otherwise it may stop early (the rest are ignored).
// On a mismatch `why` tells what is wrong.
bool conversionsFit(std::string_view format, std::string_view arguments, bool exact, std::string* why = nullptr);

// Formats `format` with `args`. A format that does not fit the arguments gives an empty text.
// The result may be of any length.
std::string formatCommand(std::string_view format, std::initializer_list<CommandArgument> args);

class CommandTable {
public:
    // Fills slots 1..180 for the printer language (0 PostScript, 1 PCL); any other language fails
    // and leaves the slots as they were. A missing string leaves its slot empty. A line whose
    // conversions do not fit its role is left empty and listed in rejectedSlots().
    bool LoadCommandTable(const StringTable& strings, int printerLanguage);

    // Slot i (1..180); an empty text outside that range.
    const std::string& slot(int i) const;
    // Slot i formatted with its arguments (an empty text for an empty slot).
    std::string format(int i, std::initializer_list<CommandArgument> args = {}) const;

    bool loaded() const { return loaded_; }
    int printerLanguage() const { return printerLanguage_; }
    const std::vector<int>& rejectedSlots() const { return rejected_; }

    static int baseId(int printerLanguage);

private:
    std::string slots_[kCommandSlots + 1];
    std::vector<int> rejected_;
    bool loaded_ = false;
    int printerLanguage_ = -1;
};

} // namespace spx
