#pragma once
// The paper catalogue: the document's list of paper definitions and the four value lists that
// offer the choices for the paper attributes, kept in the paper definitions file (INI format).
// Position 1 of the list is the main-paper entry: it keeps its own name and carries a copy of the
// chosen job paper's properties; real papers start at position 2.
//
// The file is read once per load, so the lists come from one version of it however often another
// process replaces it meanwhile. Paper texts are kept in Windows-1252 in the records: a paper
// whose texts that code page cannot hold, or that holds a comma (the file's field separator), is
// refused when the catalogue is read or a paper is added, with a message that names it; nothing
// is ever written back with such a text changed.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "MemoryPool.h"
#include "PaperRecord.h"

namespace spx {

class CSpxDoc;
class ProfileFile;

enum PaperStringId {
    IdsPaperSection = 514, IdsPaperCountKey = 513, IdsMainPaperKey = 515,
    IdsListSizes = 524, IdsListColours = 521, IdsListWeights = 523, IdsListTypes = 522,
    IdsDefaultSize = 57649, IdsDefaultColour = 57650, IdsDefaultWeight = 57651, IdsDefaultType = 57652,
    IdsDefaultMarker = 57653, IdsDefaultPaperName = 370, IdsEmptyListEntry = 366,
    IdsBothSides = 362, IdsSingleSidedOnly = 361,
    IdsCatalogueWriteFailed = 32, IdsCatalogueWriteFailedEnd = 93,
    IdsPaperRefused = 61640, IdsPaperHasComma = 61641, IdsPaperOutsideCodePage = 61642,
    IdsPaperNameTaken = 61643, IdsPaperNeedsName = 61644, IdsTooManyPapers = 61645,
    IdsTooManyPapersEnd = 61646, IdsListEntryRefused = 61647, IdsListEntryHasComma = 61648,
    IdsCatalogueUnreadable = 61649,
};

// Value list 0..3: section string id and default word string id.
struct ValueListInfo {
    int sectionId;
    int defaultWordId;
};
inline constexpr ValueListInfo kValueLists[4] = {
    {IdsListSizes, IdsDefaultSize},
    {IdsListColours, IdsDefaultColour},
    {IdsListWeights, IdsDefaultWeight},
    {IdsListTypes, IdsDefaultType},
};

// A paper as the operator gives it: texts in UTF-8.
struct PaperText {
    std::string name;
    int16_t sizeCode = 0;
    std::string attribute[3];
    int16_t singleSided = 0;
};

class PaperCatalogue {
public:
    // The most entries a catalogue may hold, the main-paper entry included. A longer catalogue is
    // refused when it is read, and no paper is added past it.
    static constexpr int kMaxPapers = 2000;
    // Pool room a catalogue of kMaxPapers needs: the list and the copy a job-file Open takes.
    static constexpr uint32_t kPoolReserve =
        2 * (uint32_t(kMaxPapers) * uint32_t(PaperRecord::kSize) + MemoryPool::kHandleRecordSize);

    explicit PaperCatalogue(CSpxDoc& doc);

    // The value lists and the papers from one reading of the file. When it fails the document's
    // paperCatalogueProblem() says why, where there is more to say than that it failed.
    bool Load();
    bool LoadValueLists();
    bool LoadPaperCatalogue();
    bool LoadValueLists(const ProfileFile& file);
    bool LoadPaperCatalogue(const ProfileFile& file);
    // Each rewrites its section under an exclusive lock on the file, keeping the rest of it.
    bool SavePaperCatalogue();
    bool SaveValueList(int list);   // 0..3
    // A read-modify-write of the catalogue: under an exclusive lock on the file the catalogue is
    // read afresh into the document, `change` edits the document's paper list, and the list is
    // saved before the lock is released, so two processes changing the catalogue this way keep
    // each other's changes. False, with nothing written, when any step fails or `change` refuses.
    bool Update(const std::function<bool()>& change);
    // Adds a paper at the end of the catalogue through Update. A paper without a name, with a
    // name already in the catalogue, with a comma or a character Windows-1252 cannot hold in a
    // text, or past kMaxPapers is refused with a message.
    bool AddPaper(const PaperText& paper);
    // The record for `paper`, or false after a message naming the paper (no name, a comma, a
    // character outside Windows-1252). Line breaks become spaces.
    bool MakeRecord(const PaperText& paper, PaperRecord& record);

    void SelectMainPaper(int position);
    void RemovePaperAt(int position);

    // The main paper position (the document's paperIndex).
    int mainPosition() const;
    std::string path() const;

    // Rules applied to texts read from the file (public for the catalogue dialog).
    std::string applyDefaultMarker(const std::string& stored, int defaultWordId) const;
    // Only an all-digit text refers to an entry of the value list.
    std::string applyNumericReference(const std::string& text, int list) const;

private:
    enum class TextProblem { None, NoName, Comma, OutsideCodePage };

    std::string sectionName(int list) const;
    std::string text(int id) const;
    std::string refusal(TextProblem problem, const std::string& paperName) const;
    std::string tooManyPapers() const;
    void showStop(const std::string& message) const;
    void showWriteFailed() const;
    bool readDefinition(const ProfileFile& file, const std::string& section, int index, PaperRecord& record);
    bool paperEntries(std::vector<std::pair<std::string, std::string>>& entries) const;
    bool storePapers(ProfileFile& file) const;
    CSpxDoc& doc_;
};

} // namespace spx
