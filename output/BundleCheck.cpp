#include "BundleCheck.h"

#include "CommandTable.h"
#include "Configuration.h"
#include "JobStreamGenerator.h"
#include "PaperCatalogue.h"
#include "ResourceBundle.h"
#include "SendLoop.h"
#include "SpxDoc.h"
#include "StringTable.h"

namespace spx {

namespace {

enum class Need {
    Present,    // may be empty (an optional marker, a "no value" text)
    Text,       // a text that is written, matched or shown: not empty
    OneName,    // a line that names one file: exactly one %s
};

struct RequiredString {
    int id;
    Need need;
    const char* use;
};

// The strings of the core: configuration files, job files, the paper catalogue, the job header
// and the send loop. The window checks its own texts where it loads them.
constexpr RequiredString kRequired[] = {
    {IdsPaperDefinitionsFile, Need::Text, "file name of the paper catalogue"},
    {IdsProfileFile, Need::Text, "file name of the profile"},
    {IdsItemDisablingFile, Need::Text, "file name of the item-disabling rules"},
    {IdsHelpFile, Need::Present, "file name of the help file"},
    {IdsAccessSection, Need::Text, "profile section of the password"},
    {IdsPasswordKey, Need::Text, "profile key of the password"},
    {IdsSignatureA, Need::Text, "job-file signature A"},
    {IdsSignatureB, Need::Text, "job-file signature B"},
    {IdsJobExtension, Need::Text, "job-file extension"},
    {IdsJobFilter, Need::Text, "job-file filter"},
    {IdsJobFilterOpen, Need::Present, "job-file filter"},
    {IdsUntitled, Need::Text, "title of a new job"},
    {IdsInvalidFile2, Need::Text, "program name"},
    {IdsInvalidFileStart, Need::Text, "message: not a job file"},
    {IdsInvalidFileEnd, Need::Present, "message: not a job file"},
    {IdsOldVersion3, Need::Text, "message: older job file"},
    {IdsOldVersion4, Need::Text, "message: older job file"},
    {IdsUnknownPrinterModel, Need::Text, "message: unknown printer model"},
    {IdsSaveChanges, Need::Text, "question: save the changes"},
    {IdsInvalidPath, Need::Text, "message: not a valid file name"},
    {IdsSaveDialogFailed, Need::Text, "message: no Save dialog"},
    {IdsOpenDialogFailed, Need::Text, "message: no Open dialog"},
    {IdsReadOnlySave, Need::Text, "message: read-only job file"},
    {IdsReadOnlyOpen, Need::Text, "question: read-only job file"},
    {IdsReadOnlyLoad, Need::Text, "message: read-only job file"},
    {IdsWriteFailed, Need::Text, "message: job file not written"},
    {IdsDiskFull, Need::Text, "message: disk full"},
    {IdsDuplicatePaper, Need::Text, "message: two papers of one name"},
    {IdsUnnamedPaper, Need::Text, "message: a paper without a name"},
    {IdsPapersReplaced, Need::Text, "message: papers replaced"},
    {IdsPapersReplacedEnd, Need::Present, "message: papers replaced"},
    {IdsSetupFailed, Need::Text, "message: no paper catalogue"},
    {IdsSetupFailedEnd, Need::Present, "message: no paper catalogue"},
    {IdsPaperFileMissing, Need::Text, "message: no paper catalogue"},
    {IdsPaperSection, Need::Text, "paper catalogue section"},
    {IdsPaperCountKey, Need::Text, "paper catalogue key"},
    {IdsMainPaperKey, Need::Text, "paper catalogue key"},
    {IdsListSizes, Need::Text, "paper catalogue value list"},
    {IdsListColours, Need::Text, "paper catalogue value list"},
    {IdsListWeights, Need::Text, "paper catalogue value list"},
    {IdsListTypes, Need::Text, "paper catalogue value list"},
    {IdsDefaultPaperName, Need::Text, "name of the job paper entry"},
    {IdsCatalogueWriteFailed, Need::Text, "message: paper catalogue not written"},
    {IdsInterleaveType, Need::Text, "job header: interleave type"},
    {IdsInterleaveMedia, Need::Text, "job header: interleave media"},
    {IdsNoColour, Need::Present, "job header: no colour"},
    {IdsNoWeight, Need::Present, "job header: no weight"},
    {IdsNoType, Need::Present, "job header: no type"},
    {IdsRegisteredUser, Need::Text, "job header: user line"},
    {IdsProofSetTimed, Need::Text, "job header: timed proof set"},
    {IdsContinuation, Need::Text, "job header: continued line"},
    {IdsIncludeFileMissing, Need::Text, "message: include file not read"},
    {IdsCommandRejected, Need::Text, "message: printer command left out"},
    {IdsFileSent, Need::OneName, "status line: file sent"},
    {IdsFileNotSent, Need::OneName, "status line: file not sent"},
    {IdsLocateFileTitle, Need::OneName, "title: where is the file"},
    {IdsHeaderFailed, Need::Text, "message: job header not written"},
    {IdsNoPrintFiles, Need::Text, "message: no print files"},
    {IdsSpoolerError, Need::Text, "message: spooler error"},
    {IdsHeaderMarkerA, Need::Text, "print file header marker"},
    {IdsHeaderMarkerB, Need::Text, "print file header marker"},
    {IdsHeaderMarkerC, Need::Present, "print file header marker"},
    {IdsHeaderMarkerD, Need::Present, "print file header marker"},
};

std::string named(int id, const char* use) { return "string " + std::to_string(id) + " (" + use + ")"; }

// A line that names one file: one %s and no other conversion.
bool namesOneFile(const std::string& text)
{
    int names = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        if (text[i + 1] == 's')
            ++names;
        else if (text[i + 1] != '%')
            return false;
        ++i;
    }
    return names == 1;
}

void checkRequired(const StringTable& strings, std::vector<std::string>& problems)
{
    for (const RequiredString& entry : kRequired) {
        if (!strings.has(entry.id))
            problems.push_back(named(entry.id, entry.use) + " is missing");
        else if (entry.need != Need::Present && strings.text(entry.id).empty())
            problems.push_back(named(entry.id, entry.use) + " is empty");
        else if (entry.need == Need::OneName && !namesOneFile(strings.text(entry.id)))
            problems.push_back(named(entry.id, entry.use) + " must hold %s once and no other conversion");
    }
}

// Job files begin with one of two signatures; a reader compares as many bytes as signature A has.
void checkSignatures(const StringTable& strings, std::vector<std::string>& problems)
{
    const std::string a = strings.ansi(IdsSignatureA);
    const std::string b = strings.ansi(IdsSignatureB);
    if (a.empty() || b.empty())
        return;   // reported above
    if (a.size() != b.size())
        problems.push_back("the job-file signatures (strings " + std::to_string(IdsSignatureA) + " and "
                           + std::to_string(IdsSignatureB) + ") differ in length");
    else if (a == b)
        problems.push_back("the job-file signatures (strings " + std::to_string(IdsSignatureA) + " and "
                           + std::to_string(IdsSignatureB) + ") are the same");
}

void checkCommandTable(const StringTable& strings, int language, std::vector<std::string>& problems)
{
    const char* languageName = language == 0 ? "PostScript" : "PCL";
    const int base = CommandTable::baseId(language);
    CommandTable table;
    table.LoadCommandTable(strings, language);
    for (int slot = 1; slot <= kCommandSlots; ++slot) {
        const int id = base + slot - 1;
        const SlotKind kind = commandSlotRole(slot).kind;
        std::string what = std::string(languageName) + " command string " + std::to_string(id) + " (slot "
                           + std::to_string(slot) + ")";
        if (!strings.has(id))
            problems.push_back(what + " is missing");
        else if ((kind == SlotKind::Line || kind == SlotKind::Word) && strings.text(id).empty())
            problems.push_back(what + " is empty");
        else if (kind == SlotKind::Word && strings.text(id).find_first_of("\n\"%") != std::string::npos)
            problems.push_back(what + " is a word: no line break, quote or percent sign");
    }
    for (int slot : table.rejectedSlots())
        problems.push_back(std::string(languageName) + " command string " + std::to_string(base + slot - 1)
                           + " (slot " + std::to_string(slot) + ") does not fit its place in the job header");
}

} // namespace

std::vector<std::string> bundleProblems(const StringTable& strings)
{
    std::vector<std::string> problems;
    if (strings.size() == 0) {
        problems.push_back("the bundle holds no strings");
        return problems;
    }
    checkRequired(strings, problems);
    checkSignatures(strings, problems);
    checkCommandTable(strings, 0, problems);
    checkCommandTable(strings, 1, problems);
    return problems;
}

bool checkBundle(const StringTable& strings, const std::string& bundleName, std::string& message)
{
    const std::vector<std::string> problems = bundleProblems(strings);
    if (problems.empty())
        return true;
    message = damagedBundleMessage(bundleName, problems);
    return false;
}

} // namespace spx
