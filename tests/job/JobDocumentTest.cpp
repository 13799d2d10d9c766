// The job document: the setter rule, the job paper, the resets and the exception list.

#include "JobTestSupport.h"
#include "PaperCatalogue.h"

namespace spx::test {
namespace {

using DocumentTest = JobTest;

TEST_F(DocumentTest, SetterMarksModifiedOnlyOnChangeAndNotWhileLoading)
{
    CSpxDoc& d = newDocument();
    EXPECT_FALSE(d.IsModified());
    EXPECT_FALSE(d.SetCopies(1));   // the default already
    EXPECT_FALSE(d.IsModified());
    EXPECT_TRUE(d.SetCopies(5));
    EXPECT_TRUE(d.IsModified());
    EXPECT_TRUE(d.flags().jobChanged);

    d.SetModifiedFlag(false);
    d.flags().loading = true;
    EXPECT_TRUE(d.SetPlexMode(2));
    EXPECT_EQ(d.GetPlexMode(), 2);
    EXPECT_FALSE(d.IsModified());
    d.flags().loading = false;

    d.SetActivePage(4);
    EXPECT_EQ(d.GetActivePage(), 4);
    EXPECT_FALSE(d.IsModified());
}

TEST_F(DocumentTest, TextSettersCutToTheFieldAndCompareCaseSensitively)
{
    CSpxDoc& d = newDocument();
    const std::string longText(400, 'x');
    d.SetEmailAddress(longText);
    EXPECT_EQ(d.GetEmailAddress().size(), 255u);
    d.SetChapterPages(std::string(2000, '7'));
    EXPECT_EQ(d.GetChapterPages().size(), 1027u);
    d.SetCustomText("Hello");
    d.SetModifiedFlag(false);
    EXPECT_TRUE(d.SetCustomText("hello"));
    EXPECT_TRUE(d.IsModified());
    // A 16-bit field stores what fits, and a store that changes nothing after cutting is no change.
    d.SetPlexMode(2);
    d.SetModifiedFlag(false);
    EXPECT_FALSE(d.SetPlexMode(65536 + 2));
    EXPECT_FALSE(d.IsModified());
}

TEST_F(DocumentTest, JobPaperStaysWithinTheCatalogueAndIsMirroredIntoEntryOne)
{
    CSpxDoc& d = newDocument();
    ASSERT_EQ(d.PaperCount(), 19);
    EXPECT_EQ(d.GetPaperIndex(), 2);
    EXPECT_EQ(d.GetPaperName(), "A4 Plain 80");

    d.SetPaperIndex(99);
    EXPECT_EQ(d.GetPaperIndex(), 19);
    d.SetPaperIndex(0);
    EXPECT_EQ(d.GetPaperIndex(), 2);
    d.SetPaperIndex(9);
    EXPECT_EQ(d.GetPaperName(), "A4 Letterhead 90");

    PaperRecord entry1, chosen;
    d.paperList().Get(1, entry1.bytes);
    d.paperList().Get(9, chosen.bytes);
    EXPECT_EQ(entry1.name(), "Job paper");
    EXPECT_EQ(entry1.attribute(3), "Letterhead");
    EXPECT_EQ(entry1.singleSided(), 1);
    EXPECT_EQ(0, std::memcmp(entry1.bytes + 256, chosen.bytes + 256, PaperRecord::kSize - 256));
}

TEST_F(DocumentTest, SetPaperIndexChangesNothingWithFewerThanTwoPapers)
{
    writeFile(path("papers.ini"), readFile(path("papers.ini")) + "\n");
    CSpxDoc& d = newDocument();
    d.paperList().SetCount(1);
    d.options().setNumber(Field::paperIndex, 7);
    d.SetModifiedFlag(false);
    d.SetPaperIndex(3);
    EXPECT_EQ(d.GetPaperIndex(), 7);
    EXPECT_FALSE(d.IsModified());
}

TEST_F(DocumentTest, ResetGivesTheDefaultsAndLeavesTheUnassignedBytes)
{
    CSpxDoc& d = newDocument();
    d.SetPrinterLanguage(1);
    d.options().setNumber(Field::outputExit2, 3);
    d.options().data()[RecordOffset::unassignedBlock + 10] = 0x5A;
    d.SetCopies(9);
    d.SetStapleMode(2);
    d.SetJobText1041("text");
    d.options().setInt16At(2406, 77);   // a word between the finishing fields

    ASSERT_TRUE(d.ResetJobOptions());
    EXPECT_EQ(d.GetPrinterLanguage(), 0);
    EXPECT_EQ(d.GetOutputExit(), 4);
    EXPECT_EQ(d.GetPamphletPages(), 60);   // the language was PCL before the reset
    EXPECT_EQ(d.get(Field::outputExit2), 3);
    EXPECT_EQ(d.options().data()[RecordOffset::unassignedBlock + 10], 0x5A);
    EXPECT_EQ(d.GetCopies(), 1);
    EXPECT_EQ(d.GetStapleMode(), 0);
    EXPECT_EQ(d.GetJobText1041(), "");
    EXPECT_EQ(d.options().int16At(2406), 0);
    EXPECT_EQ(d.options().int16At(4044), 1);
    EXPECT_EQ(d.GetCollate(), 1);
    EXPECT_EQ(d.GetProofSetMinutes(), 5);
    EXPECT_EQ(d.GetProofSetAction(), 2);
    EXPECT_EQ(d.GetPrintRange(), 1);
    EXPECT_EQ(d.get(Field::writeDestination), 1);
    ASSERT_TRUE(d.ResetJobOptions());
    EXPECT_EQ(d.GetPamphletPages(), 88);
}

TEST_F(DocumentTest, PrinterChangeResetFollowsTheLanguage)
{
    CSpxDoc& d = newDocument();
    d.options().setNumber(Field::collate, 0);
    d.options().setNumber(Field::collateForced, 1);
    d.SetPageRangeActive(1);
    d.SetFromPage(3);
    d.SetToPage(70000);
    d.SetFileLanguage(2);
    d.options().setNumber(Field::printerLanguage, 1);
    ASSERT_TRUE(d.ResetForPrinterChange());
    EXPECT_EQ(d.GetCollate(), 1);
    EXPECT_EQ(d.get(Field::collateForced), 0);
    EXPECT_EQ(d.GetOutputExit(), 1);
    EXPECT_EQ(d.GetPamphletPages(), 60);
    EXPECT_EQ(d.GetPageRangeActive(), 0);
    EXPECT_EQ(d.GetFromPage(), 0);
    EXPECT_EQ(d.GetToPage(), 0);
    EXPECT_EQ(d.GetFileLanguage(), 0);
    d.options().setNumber(Field::printerLanguage, 0);
    ASSERT_TRUE(d.ResetForPrinterChange());
    EXPECT_EQ(d.GetOutputExit(), 4);
    EXPECT_EQ(d.GetPamphletPages(), 88);
}

TEST_F(DocumentTest, ExceptionListOperations)
{
    CSpxDoc& d = newDocument();
    ASSERT_TRUE(d.AddException("1-3", 4, 1));
    ASSERT_TRUE(d.AddException("7", 5, 2));
    ASSERT_TRUE(d.AddException("5", 3, 1, 2));   // inserted between
    ASSERT_EQ(d.ExceptionCount(), 3);
    EXPECT_EQ(d.GetException(2)->pageList(), "5");
    EXPECT_EQ(d.GetException(2)->paperName(), "A4 Recycled 80");

    EXPECT_TRUE(d.SwapExceptionWithNeighbour(2, -1));
    EXPECT_EQ(d.GetException(1)->pageList(), "5");
    EXPECT_EQ(d.GetException(2)->pageList(), "1-3");
    EXPECT_FALSE(d.SwapExceptionWithNeighbour(1, -1));
    EXPECT_FALSE(d.SwapExceptionWithNeighbour(3, +1));

    EXPECT_TRUE(d.SetExceptionPaper(3, 8));
    EXPECT_EQ(d.GetException(3)->paperName(), "A4 Cover 250");
    EXPECT_TRUE(d.SetExceptionPageList(3, "last"));
    EXPECT_EQ(d.GetException(3)->pageList(), "last");
    EXPECT_TRUE(d.DeleteException(1));
    EXPECT_EQ(d.ExceptionCount(), 2);
    EXPECT_FALSE(d.DeleteException(3));
    EXPECT_FALSE(d.GetException(0));
    EXPECT_TRUE(d.IsModified());
}

} // namespace
} // namespace spx::test
