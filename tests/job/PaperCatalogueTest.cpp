// The paper catalogue: reading the shipped file and damaged ones, writing, removing papers.

#include "JobTestSupport.h"
#include "PaperCatalogue.h"
#include "Profile.h"

#include <set>

namespace spx::test {
namespace {

using CatalogueTest = JobTest;

PaperRecord paperAt(const CSpxDoc& d, int position)
{
    PaperRecord record;
    d.paperList().Get(position, record.bytes);
    return record;
}

TEST_F(CatalogueTest, ShippedCatalogueLoadsWithItsValueLists)
{
    CSpxDoc& d = newDocument();
    ASSERT_EQ(d.PaperCount(), 19);
    EXPECT_EQ(d.PaperNameAt(1), "Job paper");   // the default marker stands for the default name
    const PaperRecord cover = paperAt(d, 8);
    EXPECT_EQ(cover.name(), "A4 Cover 250");
    EXPECT_EQ(cover.sizeCode(), 2);
    EXPECT_EQ(cover.attribute(1), "White");
    EXPECT_EQ(cover.attribute(2), "250 g/m\xB2");   // Windows-1252 in the record
    EXPECT_EQ(cover.attribute(3), "Cover");
    EXPECT_EQ(paperAt(d, 9).singleSided(), 1);
    EXPECT_EQ(d.nameLists()[0].size(), 10u);
    EXPECT_EQ(d.nameLists()[0][0], "A4");            // "**" is the list's default word
    EXPECT_EQ(d.nameLists()[3][5], "Letterhead");
    EXPECT_EQ(d.nameLists()[4], (std::vector<std::string>{"Both sides", "Single-sided only"}));
    std::set<int> sizes;
    for (int p = 2; p <= d.PaperCount(); ++p)
        sizes.insert(paperAt(d, p).sizeCode());
    EXPECT_EQ(sizes.size(), 9u);
}

TEST_F(CatalogueTest, NumericReferencesAndDefaultMarkers)
{
    Profile::writeString(path("papers.ini"), "Papers", "PaperDef3", "Odd,2,3,**x,99,1");
    CSpxDoc& d = newDocument();
    const PaperRecord odd = paperAt(d, 4);
    EXPECT_EQ(odd.attribute(1), "Natural");    // entry 3 of the colours
    EXPECT_EQ(odd.attribute(2), "80 g/m\xB2"); // default word of the weights
    EXPECT_EQ(odd.attribute(3), "99");         // beyond the list: kept as stored
}

TEST_F(CatalogueTest, ReadingTheCatalogueAgainKeepsTheMainPaperEntryAMirror)
{
    CSpxDoc& d = newDocument();
    ASSERT_EQ(d.GetPaperIndex(), 2);
    Profile::writeString(path("papers.ini"), "Papers", "PaperDef0", "**,9,Blue,**,Tab,1");
    ASSERT_TRUE(PaperCatalogue(d).LoadPaperCatalogue());   // the stored main position is 2 again
    EXPECT_EQ(d.GetPaperName(), "A4 Plain 80");
    EXPECT_EQ(paperAt(d, 1).name(), "Job paper");
    EXPECT_EQ(0, std::memcmp(paperAt(d, 1).bytes + 256, paperAt(d, 2).bytes + 256, PaperRecord::kSize - 256));
}

TEST_F(CatalogueTest, DamagedDefinitionsLoadWhatTheyCan)
{
    const std::string file = path("papers.ini");
    Profile::writeString(file, "Papers", "PaperDef2", "Short,5");
    Profile::writeString(file, "Papers", "PaperDef3", std::string(600, 'L') + ",2,a,b,c,0");
    Profile::writeString(file, "Papers", "PaperDef4", ",2,a,b,c,0");
    Profile::writeString(file, "Papers", "Count", "22");   // three more than there are
    CSpxDoc& d = newDocument();
    ASSERT_EQ(d.PaperCount(), 22);
    EXPECT_EQ(paperAt(d, 3).name(), "Short");
    EXPECT_EQ(paperAt(d, 3).sizeCode(), 5);
    EXPECT_EQ(paperAt(d, 3).attribute(1), "");
    EXPECT_EQ(paperAt(d, 4).name(), std::string(255, 'L'));
    EXPECT_EQ(paperAt(d, 5).name(), "");
    EXPECT_EQ(paperAt(d, 22).name(), "");
}

TEST_F(CatalogueTest, AValueListWithoutItsCountFailsTheSetup)
{
    Profile::deleteKey(path("papers.ini"), "Weights", "NumWeights");
    doc = std::make_unique<CSpxDoc>(config, dialogs);
    EXPECT_FALSE(doc->paperCatalogueLoaded());
    EXPECT_FALSE(doc->OnNewDocument());
    EXPECT_NE(dialogs.shown.back().text.find(config.strings.text(IdsSetupFailedEnd)), std::string::npos);
}

TEST_F(CatalogueTest, SaveRewritesThePaperSectionAndKeepsTheRest)
{
    CSpxDoc& d = newDocument();
    Profile::writeString(path("papers.ini"), "Notes", "Owner", "Print room 2");
    PaperRecord extra = paperAt(d, 2);
    extra.setName("A5, folded");   // a comma cannot survive the six-field format
    d.paperList().Append(extra.bytes);
    d.SetPaperIndex(5);
    PaperCatalogue catalogue(d);
    ASSERT_TRUE(catalogue.SavePaperCatalogue());
    ASSERT_TRUE(catalogue.SaveValueList(2));
    EXPECT_EQ(Profile::getString(path("papers.ini"), "Notes", "Owner", ""), "Print room 2");

    // A new document selects the stored main paper; a new job then starts on the first real paper.
    CSpxDoc again(config, dialogs);
    ASSERT_EQ(again.PaperCount(), 20);
    EXPECT_EQ(again.PaperNameAt(20), "A5; folded");
    EXPECT_EQ(again.GetPaperIndex(), 5);
    for (int p = 2; p <= 19; ++p)
        EXPECT_EQ(0, std::memcmp(paperAt(d, p).bytes, paperAt(again, p).bytes, PaperRecord::kSize)) << p;
}

TEST_F(CatalogueTest, RemovingAPaperRenumbersWhatPointsPastIt)
{
    CSpxDoc& d = newDocument();
    d.SetPaperIndex(5);
    d.SetFrontCoverPaper(7);
    d.AddException("1", 6, 1);
    d.AddException("2", 2, 1);
    d.SetModifiedFlag(false);
    PaperCatalogue(d).RemovePaperAt(3);
    EXPECT_EQ(d.GetPaperIndex(), 4);
    EXPECT_EQ(d.GetPaperName(), "A4 Blue 80");
    EXPECT_EQ(d.GetFrontCoverPaper(), 6);
    EXPECT_EQ(d.GetException(1)->paperPosition(), 5);
    EXPECT_EQ(d.GetException(2)->paperPosition(), 2);
    EXPECT_TRUE(d.IsModified());

    // Every other paper choice (position - 1) follows its paper too, the one right after the
    // removed paper included; a choice of the removed last paper falls back to the first real one.
    d.SetFrontCoverPaper(3);      // position 4, right after the removed paper
    d.SetBackCoverPaper(1);       // position 2, before it
    d.SetStatusPaper(9);          // position 10
    d.SetSeparatorPaper(d.PaperCount() - 1);   // the last paper
    d.SetHeaderPaper(2);          // position 3: what took the place of the removed paper
    const std::string frontName = d.PaperNameAt(4), statusName = d.PaperNameAt(10);
    PaperCatalogue(d).RemovePaperAt(3);
    EXPECT_EQ(d.PaperNameAt(d.GetFrontCoverPaper() + 1), frontName);
    EXPECT_EQ(d.PaperNameAt(d.GetStatusPaper() + 1), statusName);
    EXPECT_EQ(d.GetBackCoverPaper(), 1);
    EXPECT_EQ(d.GetHeaderPaper(), 2);
    PaperCatalogue(d).RemovePaperAt(d.PaperCount());
    EXPECT_EQ(d.GetSeparatorPaper(), 1);

    PaperCatalogue(d).SelectMainPaper(1);
    EXPECT_EQ(d.GetPaperIndex(), 2);
    PaperCatalogue(d).SelectMainPaper(500);
    EXPECT_EQ(d.GetPaperIndex(), d.PaperCount());
}

} // namespace
} // namespace spx::test

namespace spx::test {
namespace {

TEST_F(CatalogueTest, AFailedSaveLeavesTheWholeCatalogueAsItWas)
{
    CSpxDoc& d = newDocument();
    const std::string before = readFile(path("papers.ini"));
    d.paperList().RemoveAt(5);
    setAtomicWriteFailureForTesting(100, EIO);
    EXPECT_FALSE(PaperCatalogue(d).SavePaperCatalogue());
    setAtomicWriteFailureForTesting(-1, 0);
    EXPECT_EQ(readFile(path("papers.ini")), before);
    EXPECT_NE(dialogs.shown.back().text.find(config.strings.text(IdsCatalogueWriteFailedEnd)), std::string::npos);
}

TEST_F(CatalogueTest, ALargeCatalogueSavesInPlaceAndReadsBack)
{
    CSpxDoc& d = newDocument();
    PaperRecord record = paperAt(d, 2);
    for (int i = 0; i < 500; ++i) {
        record.setName("Stock " + std::to_string(i) + "\nline");   // a line break cannot enter the file
        d.paperList().Append(record.bytes);
    }
    ASSERT_TRUE(PaperCatalogue(d).SavePaperCatalogue());
    const std::string text = readFile(path("papers.ini"));
    EXPECT_LT(text.find("[Papers]"), text.find("[Sizes]"));   // the section kept its place

    CSpxDoc again(config, dialogs);
    ASSERT_EQ(again.PaperCount(), 519);
    EXPECT_EQ(again.PaperNameAt(519), "Stock 499 line");
    EXPECT_EQ(again.nameLists()[2].size(), d.nameLists()[2].size());
}

} // namespace
} // namespace spx::test
