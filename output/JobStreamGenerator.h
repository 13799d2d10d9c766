#pragma once
// The job stream generator: the job header that precedes a print file. Every line comes from the
// command string table of the job's printer language, formatted with values of the job options,
// the paper catalogue list and the paper exception list. The header is composed in memory, in
// named steps, and then written to the staging file in one go.
//
// Entry point for the send loop:
//
//     CJobStreamGenerator generator;
//     GeneratorInput input;   // options, papers, exceptions, strings, availability, file ...
//     GeneratorResult result = generator.Generate(input, stagingPath);
//
// In settings mode 2, or when the command table cannot be loaded, no staging file is written and
// the result is Ok. The whole header is at most kHeaderByteCap bytes (room for an include file at
// its cap and 16 MiB of lines): a job whose page lists expand beyond it ends with MemoryExhausted. The include file must be a
// regular file of at most kIncludeFileByteCap bytes; otherwise message 1162 is shown and the
// result is IncludeFileUnreadable. The staging file is always closed before Generate returns.
//
// Line ends: every line of the header ends with its own newline, so a line never runs into the
// next one, whatever follows (further commands, the custom text, the include file or the print
// file).

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "CommandTable.h"
#include "JobOptions.h"
#include "MemoryPool.h"
#include "OptionAvailability.h"

namespace spx {

class CSpxDoc;
class IDialogs;
class StringTable;

// String ids the generator uses.
enum GeneratorStringId {
    IdsInterleaveType = 10,          // type of the interleave media
    IdsInterleaveMedia = 24,         // name of the interleave media
    IdsNoColour = 127,               // a colour attribute with this text is written as "()"
    IdsNoWeight = 134,               // a weight attribute with this text is written as "0"
    IdsNoType = 368,                 // a type attribute with this text is written as "()"
    IdsIncludeFileMissing = 1162,    // the include file could not be read
    IdsRegisteredUser = 1167,        // start of the registered user's line (PostScript printers)
    IdsProofSetTimed = 1168,         // the timed proof set (PostScript printers)
    IdsContinuation = 1169,          // start of a continued list line
    IdsCommandRejected = 1171,       // a command string of the bundle that does not fit its place
};

enum FileLanguage { FileLanguagePostScript = 0, FileLanguagePcl = 1, FileLanguagePdf = 2 };

inline constexpr size_t kIncludeFileByteCap = 16u << 20;                // the include file alone
inline constexpr size_t kHeaderByteCap = kIncludeFileByteCap + (16u << 20);   // the whole header

// The result of a generation; the numbers are those the send loop has always been given.
enum class GeneratorResult : int {
    Ok = 0,
    MemoryExhausted = 1,         // the header would pass kHeaderByteCap, or memory ran out
    IncludeFileUnreadable = 3,   // missing, unreadable, not a regular file, or too large
    StagingFileFailed = 4,       // the staging file could not be written, or no paper list
};

// Why a generation ended as it did, in words an operator can act on.
std::string generatorResultText(GeneratorResult result);

// A PDF file sent to a PCL printer is sent as PostScript: the language the header is written for.
int effectiveFileLanguage(int printerLanguage, int fileLanguage);

// Everything a generation reads. Pointers must stay valid during Generate.
struct GeneratorInput {
    const JobOptions* options = nullptr;
    const RecordArray* papers = nullptr;       // paper catalogue list (1028-byte records); null: no list
    const RecordArray* exceptions = nullptr;   // paper exception list (516-byte records); null: none
    const StringTable* strings = nullptr;      // command tables and the generator's own texts
    OptionAvailability availability;           // as the option pages leave their controls
    std::string printFilePath;                 // only its name is written
    int fileLanguage = FileLanguagePostScript; // 0 PostScript, 1 PCL, 2 PDF
    std::string userFullName;                  // the registered user (login user's full name)
    IDialogs* dialogs = nullptr;               // message 1162 and rejected command strings
};

// The generator's own view of one paper of the list.
struct PaperView {
    std::string name;
    int sizeCode = 0;
    std::string colour, weight, type;   // attributes 1, 2 and 3
    bool singleSided = false;
};

class CJobStreamGenerator {
public:
    CJobStreamGenerator() = default;

    // Writes the job header for one print file into `stagingPath`; see the top of this file.
    GeneratorResult Generate(const GeneratorInput& input, const std::string& stagingPath);
    // The same for the job document: its options, lists and availability (with `locks`).
    GeneratorResult Generate(const CSpxDoc& document, const std::string& printFile, const std::string& stagingPath,
                 int fileLanguage, const ItemLockFlags& locks = {}, IDialogs* dialogs = nullptr,
                 const std::string& userFullName = {});

    // Name of the paper at a 1-based position of the current paper list (control bytes made
    // spaces); empty outside the list. Valid during and after a generation.
    std::string PaperName(int position) const;

    const CommandTable& commands() const { return commands_; }
    // Bytes written to the staging file by the last generation.
    uint64_t bytesWritten() const { return bytesWritten_; }

private:
    friend class HeaderComposer;
    CommandTable commands_;
    const RecordArray* papers_ = nullptr;
    bool pclPrinter_ = false;
    uint64_t bytesWritten_ = 0;
    std::set<std::pair<int, int>> reportedSlots_;   // (printer language, slot) already reported
};

// Helpers of the header's values, shared with the tests.
std::string sizePair(int sizeCode);
std::string translateUserText(std::string text);
// Control bytes become spaces; for PJL headers a double quote becomes a single quote.
std::string cleanUserText(std::string text, bool pjl);
PaperView readPaper(const RecordArray& papers, int position);

// The login user's full name from the password database (empty when unknown).
std::string loginUserFullName();

} // namespace spx
