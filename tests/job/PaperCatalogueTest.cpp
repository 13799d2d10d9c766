// The paper catalogue: reading the shipped file and damaged ones, writing, removing papers.

#include "JobTestSupport.h"
#include "JobStreamGenerator.h"
#include "PaperCatalogue.h"
#include "Profile.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
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
    Profile::writeString(path("papers.ini"), "Papers", "PaperDef4", "Duplex stock,2,2-tone,04,3-hole punched,0");
    CSpxDoc& d = newDocument();
    const PaperRecord odd = paperAt(d, 4);
    EXPECT_EQ(odd.attribute(1), "Natural");    // entry 3 of the colours
    EXPECT_EQ(odd.attribute(2), "80 g/m\xB2"); // default word of the weights
    EXPECT_EQ(odd.attribute(3), "99");         // beyond the list: kept as stored
    // Only an all-digit text refers to a list entry.
    const PaperRecord texts = paperAt(d, 5);
    EXPECT_EQ(texts.attribute(1), "2-tone");
    EXPECT_EQ(texts.attribute(2), "100 g/m\xB2");   // entry 4 of the weights
    EXPECT_EQ(texts.attribute(3), "3-hole punched");
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
    extra.setName("A5 folded");
    d.paperList().Append(extra.bytes);
    d.SetPaperIndex(5);
    PaperCatalogue catalogue(d);
    ASSERT_TRUE(catalogue.SavePaperCatalogue());
    ASSERT_TRUE(catalogue.SaveValueList(2));
    EXPECT_EQ(Profile::getString(path("papers.ini"), "Notes", "Owner", ""), "Print room 2");

    // A new document selects the stored main paper; a new job then starts on the first real paper.
    CSpxDoc again(config, dialogs);
    ASSERT_EQ(again.PaperCount(), 20);
    EXPECT_EQ(again.PaperNameAt(20), "A5 folded");
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

namespace spx::test {
namespace {

constexpr const char* kMemoryMessage = "Memory Error Occured";

bool shownContaining(const ScriptedDialogs& dialogs, const std::string& text)
{
    for (const auto& shown : dialogs.shown)
        if (shown.text.find(text) != std::string::npos)
            return true;
    return false;
}

PaperText plainPaper(const std::string& name)
{
    return PaperText{name, 2, {"White", "80 g/m²", "Plain"}, 0};
}

class CatalogueFileTest : public JobTest {
protected:
    // The shipped catalogue with `count` entries: the job paper entry and count - 1 papers.
    void writeCatalogue(int count)
    {
        ProfileFile file = ProfileFile::read(path("papers.ini"));
        ProfileEntries entries = {{"Count", std::to_string(count)}, {"MainPaper", "2"}, {"PaperDef0", "**,2,**,**,**,0"}};
        for (int i = 1; i < count; ++i)
            entries.emplace_back("PaperDef" + std::to_string(i), "Stock " + std::to_string(i) + ",2,White,80 g/m²,Plain,0");
        ASSERT_TRUE(file.setStrings("Papers", entries, true));
        ASSERT_EQ(file.save(path("papers.ini")), 0);
    }
    // A new document whose setup is expected to fail; the text of its last message.
    std::string refusedSetup()
    {
        doc = std::make_unique<CSpxDoc>(config, dialogs);
        EXPECT_FALSE(doc->OnNewDocument());
        return dialogs.shown.empty() ? std::string() : dialogs.shown.back().text;
    }
};

TEST_F(CatalogueFileTest, AByteOrderMarkBeforeTheFirstSectionIsSkipped)
{
    writeFile(path("papers.ini"), "\xEF\xBB\xBF" + readFile(path("papers.ini")));
    CSpxDoc& d = newDocument();
    EXPECT_EQ(d.PaperCount(), 19);
    EXPECT_EQ(d.nameLists()[1].size(), 10u);
}

// Found by the catalogue fuzzer: a stored main position equal to the job's own selected nothing,
// not even when the list read was too short to hold it.
TEST_F(CatalogueFileTest, ReadingAShorterCatalogueKeepsTheJobPaperInTheList)
{
    CSpxDoc& d = newDocument();
    d.SetPaperIndex(10);
    writeCatalogue(4);
    Profile::writeString(path("papers.ini"), "Papers", "MainPaper", "10");
    ASSERT_TRUE(PaperCatalogue(d).LoadPaperCatalogue());
    EXPECT_EQ(d.GetPaperIndex(), 4);
    EXPECT_EQ(d.GetPaperName(), "Stock 3");
    EXPECT_EQ(paperAt(d, 1).name(), "Job paper");
}

// With the job's lists cloned by an Open, a large catalogue once used up the pool: every job
// file then failed to open, without a word.
TEST_F(CatalogueFileTest, ACatalogueUpToTheLimitLeavesRoomToOpenSaveAndSendJobs)
{
    for (int count : {1000, PaperCatalogue::kMaxPapers}) {
        writeCatalogue(count);
        CSpxDoc& d = newDocument();
        ASSERT_EQ(d.PaperCount(), count);
        d.SetPaperIndex(count);
        for (int i = 0; i < CSpxDoc::kMaxStoredExceptions; ++i)
            ASSERT_TRUE(d.AddException(std::to_string(i + 1), count - i % 7, 1)) << i;
        ASSERT_TRUE(d.OnSaveDocument(path("big.spx"))) << count;
        ASSERT_TRUE(d.OnOpenDocument(path("big.spx"))) << count;
        EXPECT_EQ(d.ExceptionCount(), CSpxDoc::kMaxStoredExceptions);
        EXPECT_EQ(d.GetPaperName(), "Stock " + std::to_string(count - 1));
        ASSERT_TRUE(d.OnSaveDocument(path("big.spx")));

        CJobStreamGenerator generator;
        writeFile(path("print.ps"), "%!PS\n");
        EXPECT_EQ(generator.Generate(d, path("print.ps"), path("staging"), FileLanguagePostScript), GeneratorResult::Ok);
        EXPECT_NE(readFile(path("staging")).find("Stock " + std::to_string(count - 1)), std::string::npos);
        EXPECT_FALSE(shownContaining(dialogs, kMemoryMessage));
    }
    writeCatalogue(PaperCatalogue::kMaxPapers + 1);
    const std::string refusal = refusedSetup();
    EXPECT_NE(refusal.find("at most " + std::to_string(PaperCatalogue::kMaxPapers) + " papers"), std::string::npos)
        << refusal;
}

TEST_F(CatalogueFileTest, EveryBudgetFailureShowsTheMemoryMessage)
{
    CSpxDoc& d = newDocument();
    // An Open copies the job's exceptions before it reads: give it some to copy.
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(d.AddException(std::to_string(i + 1), 2, 1));
    ASSERT_TRUE(d.OnSaveDocument(path("job.spx")));
    MemoryPool& pool = d.paperList().pool();
    struct Ballast {
        MemoryPool& pool;
        Handle handle;
        ~Ballast() { pool.DisposeHandle(handle); }
    } ballast{pool, pool.NewHandle(pool.budget() - pool.used() - 2 * MemoryPool::kHandleRecordSize - 100)};
    ASSERT_NE(ballast.handle, nullptr);

    dialogs.shown.clear();
    EXPECT_FALSE(d.OnOpenDocument(path("job.spx")));
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_EQ(dialogs.shown.back().text, kMemoryMessage);
    dialogs.shown.clear();
    EXPECT_FALSE(d.AddException("1", 2, 1));
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_EQ(dialogs.shown.back().text, kMemoryMessage);
}

TEST_F(CatalogueFileTest, ATextOutsideWindows1252IsRefusedAndNothingIsRewritten)
{
    const std::string shipped = readFile(path("papers.ini"));
    const std::pair<std::string, std::string> cases[] = {
        {"Бумага A4,2,White,80 g/m²,Plain,0", "Бумага A4"},
        {"Blue card,2,Синий,80 g/m²,Plain,0", "Blue card"},
        {"Carton\xC0 A4,2,White,80 g/m²,Plain,0", "Carton\xEF\xBF\xBD A4"},   // not UTF-8: shown with U+FFFD
    };
    for (const auto& [definition, named] : cases) {
        writeFile(path("papers.ini"), shipped);
        Profile::writeString(path("papers.ini"), "Papers", "PaperDef3", definition);
        const std::string before = readFile(path("papers.ini"));
        const std::string refusal = refusedSetup();
        EXPECT_NE(refusal.find(named), std::string::npos) << refusal;
        EXPECT_NE(refusal.find("Windows-1252"), std::string::npos) << refusal;
        EXPECT_EQ(readFile(path("papers.ini")), before);
    }

    writeFile(path("papers.ini"), shipped);
    CSpxDoc& d = newDocument();
    EXPECT_FALSE(PaperCatalogue(d).AddPaper(plainPaper("Картон A4")));
    EXPECT_TRUE(shownContaining(dialogs, "Картон A4"));
    EXPECT_EQ(readFile(path("papers.ini")), shipped);
    EXPECT_EQ(d.PaperCount(), 19);

    // What Windows-1252 holds is kept exactly, there and back.
    ASSERT_TRUE(PaperCatalogue(d).AddPaper(plainPaper("Papier recyclé 80 €")));
    CSpxDoc again(config, dialogs);
    EXPECT_EQ(again.PaperNameAt(20), "Papier recycl\xE9 80 \x80");
    EXPECT_NE(readFile(path("papers.ini")).find("PaperDef19=Papier recyclé 80 €,2,White,80 g/m²,Plain,0"), std::string::npos);
}

TEST_F(CatalogueFileTest, CommasInPaperTextsAreRefusedNotRewritten)
{
    const std::string shipped = readFile(path("papers.ini"));
    Profile::writeString(path("papers.ini"), "Papers", "PaperDef3", "A5, folded,2,White,80 g/m²,Plain,0");
    const std::string before = readFile(path("papers.ini"));
    const std::string refusal = refusedSetup();
    EXPECT_NE(refusal.find("A5, folded"), std::string::npos) << refusal;
    EXPECT_NE(refusal.find("comma"), std::string::npos) << refusal;
    EXPECT_EQ(readFile(path("papers.ini")), before);

    writeFile(path("papers.ini"), shipped);
    CSpxDoc& d = newDocument();
    PaperRecord folded = paperAt(d, 2);
    folded.setName("A5, folded");
    d.paperList().Append(folded.bytes);
    dialogs.shown.clear();
    EXPECT_FALSE(PaperCatalogue(d).SavePaperCatalogue());
    EXPECT_TRUE(shownContaining(dialogs, "A5, folded"));
    d.paperList().RemoveAt(20);
    EXPECT_FALSE(PaperCatalogue(d).AddPaper(plainPaper("A5, folded")));
    EXPECT_FALSE(PaperCatalogue(d).AddPaper(PaperText{"A5", 2, {"White", "80 g/m², coated", "Plain"}, 0}));
    d.nameLists()[3].push_back("Tab, 5-cut");
    EXPECT_FALSE(PaperCatalogue(d).SaveValueList(3));
    EXPECT_TRUE(shownContaining(dialogs, "Tab, 5-cut"));
    EXPECT_EQ(readFile(path("papers.ini")), shipped);
}

TEST_F(CatalogueFileTest, PaperNamesMatchWithoutRegardToCase)
{
    CSpxDoc& d = newDocument();
    EXPECT_EQ(d.FindPaper("A4 Cover 250"), 8);
    EXPECT_EQ(d.FindPaper("a4 COVER 250"), 8);
    EXPECT_EQ(d.FindPaper("A4 Cover"), 0);
    EXPECT_FALSE(PaperCatalogue(d).AddPaper(plainPaper("a4 cover 250")));
    EXPECT_TRUE(shownContaining(dialogs, "already"));

    // A job saved with a paper still finds it when the catalogue spells its name otherwise.
    d.SetPaperIndex(8);
    d.SetFrontCoverPaper(6);   // position 7
    ASSERT_TRUE(d.OnSaveDocument(path("job.spx")));
    Profile::writeString(path("papers.ini"), "Papers", "PaperDef7", "A4 COVER 250,2,White,250 g/m²,Cover,0");
    Profile::writeString(path("papers.ini"), "Papers", "PaperDef6", "a4 bright white 100,2,Bright white,100 g/m²,Plain,0");
    CSpxDoc& again = newDocument();
    dialogs.shown.clear();
    ASSERT_TRUE(again.OnOpenDocument(path("job.spx")));
    EXPECT_EQ(again.GetPaperIndex(), 8);
    EXPECT_EQ(again.GetFrontCoverPaper(), 6);
    EXPECT_FALSE(again.missingPaperFlag());
    EXPECT_FALSE(shownContaining(dialogs, config.strings.text(IdsPapersReplaced)));
}

// Two processes adding papers at once: each addition reads the catalogue and writes it back
// under the file's lock, so none is lost and no entry is left half-written.
TEST_F(CatalogueFileTest, TwoProcessesAddingPapersKeepEveryPaper)
{
    constexpr int kEach = 200;
    auto adder = [&](const std::string& prefix) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ScriptedDialogs childDialogs;
            CSpxDoc childDoc(config, childDialogs);
            int failures = 0;
            for (int i = 0; i < kEach; ++i)
                failures += !PaperCatalogue(childDoc).AddPaper(plainPaper(prefix + std::to_string(i)));
            for (const auto& shown : childDialogs.shown)
                std::fprintf(stderr, "%s: %s\n", prefix.c_str(), shown.text.c_str());
            ::_exit(failures > 0);
        }
        return pid;
    };
    const pid_t a = adder("Alpha "), b = adder("Beta ");
    for (pid_t pid : {a, b}) {
        int status = -1;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    CSpxDoc& d = newDocument();
    ASSERT_EQ(d.PaperCount(), 19 + 2 * kEach);
    for (int i = 0; i < kEach; ++i) {
        EXPECT_NE(d.FindPaper("Alpha " + std::to_string(i)), 0) << i;
        EXPECT_NE(d.FindPaper("Beta " + std::to_string(i)), 0) << i;
    }
    const ProfileFile file = ProfileFile::read(path("papers.ini"));
    for (int i = 0; i < d.PaperCount(); ++i)
        EXPECT_NE(file.getString("Papers", "PaperDef" + std::to_string(i), "").substr(0, 1), ",") << i;
}

} // namespace
} // namespace spx::test
