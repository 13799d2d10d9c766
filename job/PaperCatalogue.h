#pragma once
// The paper catalogue: the document's list of paper definitions and the four value lists that
// offer the choices for the paper attributes, kept in the paper definitions file (INI format).
// Position 1 of the list is the main-paper entry: it keeps its own name and carries a copy of the
// chosen job paper's properties; real papers start at position 2.

#include <string>
#include <vector>

namespace spx {

class CSpxDoc;

enum PaperStringId {
    IdsPaperSection = 514, IdsPaperCountKey = 513, IdsMainPaperKey = 515,
    IdsListSizes = 524, IdsListColours = 521, IdsListWeights = 523, IdsListTypes = 522,
    IdsDefaultSize = 57649, IdsDefaultColour = 57650, IdsDefaultWeight = 57651, IdsDefaultType = 57652,
    IdsDefaultMarker = 57653, IdsDefaultPaperName = 370, IdsEmptyListEntry = 366,
    IdsBothSides = 362, IdsSingleSidedOnly = 361,
    IdsCatalogueWriteFailed = 32, IdsCatalogueWriteFailedEnd = 93,
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

class PaperCatalogue {
public:
    explicit PaperCatalogue(CSpxDoc& doc);

    bool LoadValueLists();
    bool LoadPaperCatalogue();
    bool SavePaperCatalogue();
    bool SaveValueList(int list);   // 0..3
    void SelectMainPaper(int position);
    void RemovePaperAt(int position);

    // The main paper position (the document's paperIndex).
    int mainPosition() const;
    std::string path() const;

    // Rules applied to texts read from the file (public for the catalogue dialog).
    std::string applyDefaultMarker(const std::string& stored, int defaultWordId) const;
    std::string applyNumericReference(const std::string& text, int list) const;

private:
    std::string sectionName(int list) const;
    CSpxDoc& doc_;
};

} // namespace spx
