#pragma once
// The job stream generator: writes the job header that precedes a print file into a staging
// file. Every line comes from the command string table of the job's printer language, formatted
// with values of the job options, the paper catalogue list and the paper exception list.
//
// Entry point for the send loop:
//
//     CJobStreamGenerator generator;
//     GeneratorInput input;   // options, papers, exceptions, strings, availability, file ...
//     int result = generator.Generate(input, stagingPath);
//
// Results: 0 success (in settings mode 2, or when the command table cannot be loaded, no staging
// file is written at all); 1 memory exhausted while expanding a page list; 3 the include file
// could not be read (message 1162 was shown); 4 the staging file could not be created or written,
// or the job has no paper list. The staging file is always closed before Generate returns.
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
    int Generate(const GeneratorInput& input, const std::string& stagingPath);
    // The same for the job document: its options, lists and availability (with `locks`).
    int Generate(const CSpxDoc& document, const std::string& printFile, const std::string& stagingPath,
                 int fileLanguage, const ItemLockFlags& locks = {}, IDialogs* dialogs = nullptr,
                 const std::string& userFullName = {});

    // Name of the paper at a 1-based position of the current paper list (control bytes made
    // spaces); empty outside the list. Valid during and after a generation.
    std::string PaperName(int position) const;

    const CommandTable& commands() const { return commands_; }
    // Bytes written to the staging file by the last generation.
    uint64_t bytesWritten() const { return bytesWritten_; }

private:
    friend class GenerationRun;
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
