// The job stream generator, block by block, on the tag bundle: every command string names its
// slot and arguments, so these tests read the sequence of commands the generator chose.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/types.h>

#include <chrono>

#include "Dialogs.h"
#include "GeneratorTestSupport.h"

using namespace spx;
using namespace spx::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

class GeneratorTest : public ::testing::Test {
protected:
    StringTable strings = tagStrings();
    StagingFolder folder;
    ScriptedDialogs dialogs;
    CJobStreamGenerator generator;
    GeneratorResult result = GeneratorResult::Ok;

    std::string generate(TestJob& job, bool computeAvailability = true)
    {
        if (computeAvailability)
            job.computeAvailability();
        std::remove(folder.path().c_str());
        result = generator.Generate(job.input(strings, &dialogs), folder.path());
        return readFile(folder.path());
    }
    std::vector<std::string> lines(TestJob& job) { return linesOf(generate(job)); }
    // The lines between two tags, both excluded.
    std::vector<std::string> between(TestJob& job, const std::string& from, const std::string& to)
    {
        auto all = lines(job);
        auto begin = std::find_if(all.begin(), all.end(), [&](auto& l) { return l.rfind(from, 0) == 0; });
        auto end = std::find_if(begin, all.end(), [&](auto& l) { return l.rfind(to, 0) == 0; });
        return begin == all.end() ? std::vector<std::string>{} : std::vector<std::string>(begin + 1, end);
    }
    bool fileExists() const
    {
        struct stat st {};
        return ::stat(folder.path().c_str(), &st) == 0;
    }
};

const std::vector<std::string> kDefaultFeatures = {"<11|w55>", "<12|w55>", "<133>", "<15>", "<136>"};

TEST_F(GeneratorTest, DefaultPostScriptJobWritesEverySectionInOrder)
{
    TestJob job;
    std::vector<std::string> expected = {"<4>", "<2>", "<174>", "<10|1>"};
    expected.insert(expected.end(), kDefaultFeatures.begin(), kDefaultFeatures.end());
    for (const char* l : {"<132|>", "<8|report.ps>", "<9>", "<10|1>"})
        expected.push_back(l);
    expected.insert(expected.end(), kDefaultFeatures.begin(), kDefaultFeatures.end());
    for (const char* l : {"<26|Plain|595 842|80 |(White)|(Plain)>", "<25>", "<30|Plain>", "<143>", "<108|>", "<127>",
                          "<99||>", "<20|w63>", "<162>", "<51>", "<152|w154|>", "<157>", "<160>", "<3>", "<53>"})
        expected.push_back(l);
    EXPECT_EQ(lines(job), expected);
    EXPECT_EQ(result, GeneratorResult::Ok);
    EXPECT_EQ(generator.bytesWritten(), readFile(folder.path()).size());
}

TEST_F(GeneratorTest, PclPrinterAndPclFileFrameTheHeader)
{
    TestJob job(1);
    job.fileLanguage = FileLanguagePcl;
    job.set(Field::outputExit, 1);
    // In a PCL file's header a table line that is not PJL becomes a PJL comment (the tags here).
    std::vector<std::string> all;
    for (std::string line : lines(job))
        all.push_back(line.rfind("<6>", 0) == 0 ? line.substr(3) : line);
    EXPECT_EQ(all.front(), "<5|27>");
    // No PostScript-only job lines, the feature block once, the PCL file closing.
    EXPECT_EQ(all[1], "<2>");
    EXPECT_EQ(all[2], "<132|>");
    EXPECT_EQ(std::count(all.begin(), all.end(), "<15>"), 1);
    EXPECT_THAT(all, Not(::testing::Contains("<108|>")));   // separators off: no line for PCL printers
    EXPECT_THAT(std::vector<std::string>(all.end() - 5, all.end()),
                ElementsAre("<155>", "<160>", "<3>", "<53>", "<54>"));
    std::string out = readFile(folder.path());
    EXPECT_EQ(out.substr(out.size() - 5), "<54>\n");

    job.fileLanguage = FileLanguagePostScript;   // a PostScript file: no prefix, first line 4
    EXPECT_EQ(lines(job).front(), "<4>");
}

TEST_F(GeneratorTest, SettingsModesAndFailures)
{
    TestJob job;
    job.set(Field::settingsMode, 2);
    generate(job);
    EXPECT_EQ(result, GeneratorResult::Ok);
    EXPECT_FALSE(fileExists()) << "settings mode 2 writes no staging file";

    job.set(Field::settingsMode, 1);
    job.setText(Field::customText, "A\n");
    EXPECT_EQ(generate(job), "A\n");
    job.setText(Field::customText, "A");
    EXPECT_EQ(generate(job), "A\n");
    job.set(Field::settingsMode, 0);
    job.setText(Field::customText, "A\n");
    auto all = lines(job);
    EXPECT_EQ(all[all.size() - 3], "A") << "the custom text comes just before the closing lines";

    job.set(Field::printerLanguage, 7);
    generate(job);
    EXPECT_EQ(result, GeneratorResult::Ok);
    EXPECT_FALSE(fileExists()) << "an unknown printer language loads no table and writes nothing";

    job.set(Field::printerLanguage, 0);
    GeneratorInput in = job.input(strings);
    in.papers = nullptr;
    EXPECT_EQ(generator.Generate(in, folder.path()), GeneratorResult::StagingFileFailed);
    EXPECT_EQ(generator.Generate(job.input(strings), folder.path("missing/folder/x")), GeneratorResult::StagingFileFailed);
}

TEST_F(GeneratorTest, FeatureBlockFollowsExitStaplingFoldingAndPlex)
{
    TestJob job;
    job.set(Field::outputExit, 0);   // PostScript exit 0: folding and trimming, no stacking
    job.set(Field::stapleMode, 5);
    job.set(Field::foldMode, 2);
    job.set(Field::plexMode, 2);
    job.set(Field::trimEdges, 1);
    EXPECT_THAT(between(job, "<8|", "<26|"), ElementsAre("<9>", "<10|1>", "<11|w60>", "<12|w60>", "<13>", "<15>", "<169>"));

    job.set(Field::outputExit, 6);   // no stapling at exit 6 on PostScript; stack on although not available
    job.set(Field::stapleMode, 2);
    job.set(Field::plexMode, 1);
    job.set(Field::paperIndex, 5);   // single-sided job paper: no duplex
    EXPECT_THAT(between(job, "<8|", "<26|"), ElementsAre("<9>", "<10|1>", "<11|>", "<12|w60>", "<133>", "<15>", "<135>"));

    TestJob pcl(1);
    pcl.set(Field::outputExit, 6);   // PCL: staple word 55 at exit 6 whatever the code, no fold line
    pcl.set(Field::stapleMode, 3);
    pcl.set(Field::plexMode, 5);
    pcl.set(Field::collate, 0);
    EXPECT_THAT(between(pcl, "<10|", "<26|"), ElementsAre("<11|w55>", "<14>", "<16>"));
    pcl.set(Field::outputExit, 1);   // folding available at exit 1
    pcl.set(Field::foldMode, 1);
    pcl.set(Field::stackMode, 1);
    EXPECT_THAT(between(pcl, "<10|", "<26|"), ElementsAre("<11|w58>", "<12|w61>", "<14>", "<16>", "<135>"));
}

TEST_F(GeneratorTest, MediaDeclaresReferencedPapersAndInterleaves)
{
    TestJob job;
    job.set(Field::frontCover, 1);
    job.set(Field::frontCoverPaper, 3);   // Cover
    job.set(Field::statusMode, 2);
    job.set(Field::statusPaper, 2);       // Blue
    job.set(Field::headerPage, 1);
    job.set(Field::headerPaper, 5);       // Tab
    job.addException(4, "3");             // Cover again: declared once
    auto all0 = lines(job);
    auto mainMedia = std::find_if(all0.begin(), all0.end(), [](auto& l) { return l.rfind("<26|", 0) == 0; });
    std::vector<std::string> media(mainMedia, std::find(mainMedia, all0.end(), "<25>"));
    // The weight value is the first three characters of the weight text, a space included.
    EXPECT_THAT(media, ElementsAre("<26|Plain|595 842|80 |(White)|(Plain)>", "<28|Blue|595 842|0|(Blue)|()>",
                                   "<28|Cover|842 1191|250|()|(Cover)>", "<28|Tab|576 756|160|(White)|(Tab)>"));

    TestJob interleaved;
    interleaved.set(Field::plexMode, 4);
    interleaved.set(Field::paperIndex, 6);   // Tab, size 8: clamped to 0 for the interleave media
    auto all = lines(interleaved);
    EXPECT_THAT(all, ::testing::Contains("<28|IMedia|792 1224|0|()|(IType)>"));
    EXPECT_THAT(all, ::testing::Contains("<125|Tab|w123|IMedia>"));
}

TEST_F(GeneratorTest, JobTextsAccountRangeAndProofSet)
{
    TestJob job;
    job.setText(Field::jobText1040, "first-text");
    job.setText(Field::jobText1041, "second\r\nline");
    job.setText(Field::jobText1074, "third");
    job.setText(Field::auxText, "cc-42\t`x`");
    job.set(Field::pageRangeActive, 1);
    job.set(Field::fromPage, 3);
    job.set(Field::toPage, 70000);
    job.set(Field::proofSet, 1);
    auto texts = between(job, "<26|", "<25>");
    EXPECT_THAT(texts, ElementsAre("<7|second  line>", "<18|first\xADtext>", "<19|third>", "<166|cc-42 `x`>",
                                   "<21|3|70000>", "<timed>"));

    TestJob pcl(1);
    pcl.setText(Field::jobText1040, "say \"first-text\"");
    pcl.set(Field::proofSet, 1);
    pcl.set(Field::proofSetMinutes, 7);
    pcl.set(Field::proofSetAction, 1);
    // PJL: quotes become single quotes, the same character translation, the proof set in seconds.
    EXPECT_THAT(between(pcl, "<26|", "<25>"), ElementsAre("<18|say 'first\xADtext'>", "<22|420|w94>"));
    EXPECT_THAT(lines(pcl), ::testing::Contains("<29|Plain>"));
}

TEST_F(GeneratorTest, CoverCombinations)
{
    struct Case {
        int front, back, notPamphlet, language;
        std::string frontPaperIndex, line, media;
    };
    // Front cover paper Cover (index 3), back cover paper Blue (index 2).
    const Case cases[] = {
        {0, 0, 1, 0, "3", "<143>", "<99||>"},
        {1, 0, 1, 0, "3", "<145|Cover|w147|w171>", "<99||>"},
        {2, 0, 1, 1, "3", "<145|Cover|w147|w139>", "<99||>"},
        {0, 3, 1, 0, "3", "<145|Blue|w146|w139>", "<99||>"},
        {4, 0, 1, 0, "3", "<143>", "<99|Cover|0>"},
        {4, 1, 1, 0, "3", "<145|Blue|w146|w171>", "<99|Cover|0>"},
        {1, 4, 1, 0, "3", "<145|Cover|w147|w171>", "<99|Blue|w144>"},
        {4, 4, 1, 0, "3", "<143>", "<99|Cover|0>"},
        {1, 2, 1, 0, "3", "<143> <121|Cover|w147|w171||Blue|w146|w172>", "<99||>"},
        {1, 1, 1, 1, "3", "<143> <121|Cover|w147|w138||Blue|w146|w138>", "<99||>"},
        {1, 1, 0, 0, "3", "<145|Cover|w148|>", "<99||>"},
        {4, 1, 0, 0, "3", "", "<99|Cover|0>"},
    };
    for (const Case& c : cases) {
        TestJob job(c.language);
        job.set(Field::frontCover, c.front);
        job.set(Field::backCover, c.back);
        job.set(Field::notPamphlet, c.notPamphlet);
        job.set(Field::plexMode, c.notPamphlet ? 1 : 5);
        job.set(Field::frontCoverPaper, std::stoi(c.frontPaperIndex));
        job.set(Field::backCoverPaper, 2);
        auto all = lines(job);
        auto proof = std::find_if(all.begin(), all.end(), [](auto& l) { return l.rfind("<30|", 0) == 0; });
        ASSERT_NE(proof, all.end());
        SCOPED_TRACE("front " + std::to_string(c.front) + " back " + std::to_string(c.back) + " pamphlet "
                     + std::to_string(!c.notPamphlet));
        EXPECT_EQ(*(proof + 1), c.line.empty() ? (c.language ? "<127>" : "<108|>") : c.line);
        EXPECT_THAT(all, ::testing::Contains(c.media));
    }

    // Both covers on one paper with the same sides make one line; the prefix of a PCL file is
    // placed between two covers.
    TestJob same;
    same.set(Field::frontCover, 1);
    same.set(Field::backCover, 1);
    same.set(Field::frontCoverPaper, 3);
    same.set(Field::backCoverPaper, 3);
    EXPECT_THAT(lines(same), ::testing::Contains("<145|Cover|w148|w171>"));
    TestJob two;
    two.fileLanguage = FileLanguagePcl;
    two.set(Field::frontCover, 1);
    two.set(Field::backCover, 2);
    two.set(Field::frontCoverPaper, 3);
    two.set(Field::backCoverPaper, 3);
    EXPECT_THAT(generate(two), HasSubstr("<143> <121|Cover|w147|w171|<6>|Cover|w146|w172>\n"));

    // Only the trailing line ends of the cover line's start become spaces.
    strings.set(kCommandBasePostScript + 143 - 1, "<143a>\n<143b>\r\n");
    two.fileLanguage = FileLanguagePostScript;
    EXPECT_THAT(generate(two), HasSubstr("<143a>\n<143b>  <121|Cover|w147|w171||Cover|w146|w172>\n"));
}

TEST_F(GeneratorTest, SeparatorsStatusPamphletColourNotificationHeaderAndExit)
{
    TestJob job;
    job.set(Field::separators, 1);
    job.set(Field::separatorPaper, 2);
    job.set(Field::statusMode, 3);
    job.set(Field::statusPaper, 0);
    job.set(Field::plexMode, 5);
    job.set(Field::notPamphlet, 0);
    job.set(Field::pamphletPages, 10);
    job.set(Field::headerPage, 1);
    job.set(Field::headerPaper, 0);
    job.set(Field::outputExit, 5);
    job.set(Field::finishChaptersSeparately, 1);
    job.setText(Field::emailAddress, "op-1@example.com");
    job.user = "Ada Lovelace";
    auto all = lines(job);
    EXPECT_THAT(all, ::testing::Contains("<108|Blue>"));
    auto status = std::find(all.begin(), all.end(), "<134|w65|Plain>");
    ASSERT_NE(status, all.end());
    EXPECT_THAT(std::vector<std::string>(status, status + 10),
                ElementsAre("<134|w65|Plain>", "<38|3>", "<162>", "<user> Ada Lovelace", "<48|op-1@example.com|w163>",
                            "<164>", "<51>", "<152|w153|(Plain)>", "<167>", "<161>"));

    TestJob pcl(1);
    pcl.set(Field::freeformColor, 1);
    pcl.set(Field::colorMap0, 1);
    pcl.set(Field::colorMap3, 5);
    pcl.set(Field::colorMap5, 9);
    pcl.setText(Field::emailAddress, "op-1@example.com");
    pcl.user = "Ada Lovelace";   // the registered user line is for PostScript printers only
    auto pclLines = lines(pcl);
    EXPECT_THAT(pclLines, ::testing::Contains("<39> w40 w89  w43 w93  w45  "));
    EXPECT_THAT(pclLines, ::testing::Contains("<48|op-1@example.com|w163>"));
    EXPECT_THAT(pclLines, Not(::testing::Contains(::testing::StartsWith("<user>"))));
}

TEST_F(GeneratorTest, ChaptersExpandRangesAndWrapLongLists)
{
    TestJob job;
    job.setText(Field::chapterPages, "1,,4 7..9");
    EXPECT_THAT(between(job, "<108|>", "<99|"), ElementsAre("<109|>", "<130|1 4|>", "<131> 7  8  9 "));

    std::string list;
    for (int page = 1; page <= 200; page += 2)
        list += std::to_string(page) + " ";
    job.setText(Field::chapterPages, list);
    auto chapters = between(job, "<109|>", "<99|");
    ASSERT_GE(chapters.size(), 2u);
    for (const auto& line : chapters)
        EXPECT_LE(line.size(), 255u);
    EXPECT_EQ(chapters[1].rfind("+ ", 0), 0u) << "a continued list line starts with string 1169";
    std::string joined;
    for (const auto& line : chapters)
        joined += line.substr(line.rfind("+ ", 0) == 0 ? 2 : 0) + " ";
    EXPECT_THAT(joined, HasSubstr("|1 3 5 ")) << joined;
    EXPECT_THAT(joined, HasSubstr(" 195 197 199|>")) << "nothing is lost at the cuts";
    int numbers = 0;
    for (size_t pos = 0; (pos = joined.find_first_of("0123456789", pos)) != std::string::npos;
         pos = joined.find_first_not_of("0123456789", pos))
        ++numbers;
    EXPECT_EQ(numbers, 1 + 100) << "the tag number and the hundred pages";

    TestJob pclSimplex(1);   // no chapters for simplex on PCL printers
    pclSimplex.setText(Field::chapterPages, "5");
    EXPECT_THAT(lines(pclSimplex), ::testing::Contains("<127>"));
}

TEST_F(GeneratorTest, ExceptionsAndMediaList)
{
    TestJob job;
    job.set(Field::plexMode, 1);
    job.addException(3, "1,3..8 last");     // Blue, two-sided: every second page of a range
    job.addException(5, "^2 9^ 12");        // Letterhead, single-sided
    job.addException(3, "4^");              // carets only: no exception line
    job.addException(1, "2..1");            // empty expansion
    auto all = lines(job);
    auto first = std::find(all.begin(), all.end(), "<128|(Blue)|w113|>");
    ASSERT_NE(first, all.end());
    EXPECT_THAT(std::vector<std::string>(first, first + 11),
                ElementsAre("<128|(Blue)|w113|>", "<130|1|>", "<131> 3  5  7 ", "<130|lastpage|>",
                            "<129|(Letterhead)|w112|>", "<130|12|>", "<99|(Letterhead)|>", "<130|1 9 |>",
                            "<130|(Blue)|>", "<130|4 |>", "<20|w63>"));

    job.set(Field::plexMode, 3);   // interleaves disable the exceptions tab: no exceptions, no media list
    all = lines(job);
    EXPECT_THAT(all, Not(::testing::Contains(::testing::StartsWith("<128|"))));
    EXPECT_THAT(all, Not(::testing::Contains(::testing::StartsWith("<99|"))));

    // A pamphlet on a PCL printer has no exceptions tab: the media list runs for a pre-printed
    // front cover alone and lists no caret. It follows the stored mode, so with the front cover
    // combo locked (the cover block then declares nothing) it still writes its empty line.
    TestJob pamphlet(1);
    pamphlet.set(Field::plexMode, 5);
    pamphlet.set(Field::notPamphlet, 0);
    pamphlet.set(Field::frontCover, 4);
    pamphlet.set(Field::frontCoverPaper, 3);
    pamphlet.addException(3, "^2");
    all = lines(pamphlet);
    EXPECT_THAT(all, ::testing::Contains("<99|Cover|0>"));
    EXPECT_THAT(all, Not(::testing::Contains(::testing::StartsWith("<130|"))));
    ItemLockFlags locks;
    locks.frontCover = false;
    pamphlet.availability = computeOptionAvailability(pamphlet.options, locks);
    all = linesOf(generate(pamphlet, false));
    EXPECT_THAT(all, ::testing::Contains("<99||>"));
    pamphlet.set(Field::frontCover, 1);
    EXPECT_THAT(linesOf(generate(pamphlet, false)), Not(::testing::Contains(::testing::StartsWith("<99|"))));
}

TEST_F(GeneratorTest, PercentLinesOfAPclFileCarryThePrefix)
{
    TestJob job;
    job.fileLanguage = FileLanguagePcl;
    job.setText(Field::customText, "%comment\nplain\n\n%%second");
    std::string out = generate(job);
    EXPECT_THAT(out, HasSubstr("<6><160>\n<6>%comment\nplain\n\n<6>%%second\n<6><3>\n"))
        << "the operator's own lines get the prefix only where they begin with %";

    // Lines of the command table that are neither PJL nor an escape sequence become PJL comments.
    strings.set(kCommandBasePostScript + 15 - 1, "%%%%Collate\n<< /Collate true >> setpagedevice\n");
    out = generate(job);
    EXPECT_THAT(out, HasSubstr("<6>%%Collate\n<6><< /Collate true >> setpagedevice\n"));
}

TEST_F(GeneratorTest, IncludeFile)
{
    TestJob job;
    job.set(Field::settingsMode, 1);
    std::string include = folder.path("include.txt");
    std::string bytes(510, 'x');   // two full blocks: the copy ends with an empty read
    bytes[254] = '\n';
    bytes[509] = '\n';
    writeFile(include, bytes);
    job.setText(Field::customIncludeFile, include);
    EXPECT_EQ(generate(job), bytes);

    writeFile(include, "no newline");
    EXPECT_EQ(generate(job), "no newline\n") << "the header continues on a line of its own";

    job.setText(Field::customIncludeFile, folder.path("absent.txt"));
    generate(job);
    EXPECT_EQ(result, GeneratorResult::IncludeFileUnreadable);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_THAT(dialogs.shown[0].text, HasSubstr("include file missing"));
}

TEST_F(GeneratorTest, LongLinesAreWrittenInFull)
{
    TestJob job;
    std::string name(250, 'N');
    TestJob longName;
    PaperRecord record;
    ASSERT_TRUE(longName.papers.Get(2, record.bytes));
    record.setName(name);
    longName.papers.Set(2, record.bytes);
    longName.setText(Field::jobText1040, std::string(255, 'T'));
    auto all = lines(longName);
    EXPECT_THAT(all, ::testing::Contains("<26|" + name + "|595 842|80 |(White)|(Plain)>"));
    EXPECT_THAT(all, ::testing::Contains("<18|" + std::string(255, 'T') + ">"));
}

TEST_F(GeneratorTest, AMismatchedCommandStringIsLeftOutAndReportedOnce)
{
    TestJob job;
    strings.set(kCommandBasePostScript + 26 - 1, "%%%%Media %s %d %n\n");   // would write through a number
    strings.set(kCommandBasePostScript + 8 - 1, "<8|%s|%s>\n");            // one argument too many
    auto all = lines(job);
    EXPECT_EQ(result, GeneratorResult::Ok);
    EXPECT_THAT(all, Not(::testing::Contains(::testing::StartsWith("%%Media"))));
    EXPECT_THAT(all, Not(::testing::Contains(::testing::StartsWith("<8|"))));
    EXPECT_EQ(dialogs.shown.size(), 2u);
    lines(job);
    EXPECT_EQ(dialogs.shown.size(), 2u) << "reported once per generator";
    EXPECT_THAT(generator.commands().rejectedSlots(), ElementsAre(8, 26));
}

TEST_F(GeneratorTest, PrinterLanguageSwitchTakesEffectAtTheNextFile)
{
    strings.set(kCommandBasePostScript + 2 - 1, "<ps2>\n");
    strings.set(kCommandBasePcl + 2 - 1, "<pcl2>\n");
    TestJob job;
    EXPECT_EQ(lines(job)[1], "<ps2>");
    job.set(Field::printerLanguage, 1);
    EXPECT_EQ(lines(job)[1], "<pcl2>");
}

// Jobs that try to break out of the header or to fill the disk.
TEST_F(GeneratorTest, AddressAndAccountAreKeysNotPrintedText)
{
    TestJob job;
    job.setText(Field::emailAddress, "ops-team@example.com\r\nX");
    job.setText(Field::auxText, "cost-centre`7");
    job.setText(Field::jobText1040, "ops-team");
    auto all = lines(job);
    EXPECT_THAT(all, ::testing::Contains("<48|ops-team@example.com  X|w163>")) << "no soft hyphen; line ends are spaces";
    EXPECT_THAT(all, ::testing::Contains("<166|cost-centre`7>"));
    EXPECT_THAT(all, ::testing::Contains("<18|ops\xADteam>")) << "job texts are still translated";
}

TEST_F(GeneratorTest, PageListsCannotStartALineOfTheirOwn)
{
    const StringTable shipped = shippedStrings();
    for (int fileLanguage : {FileLanguagePostScript, FileLanguagePcl}) {
        TestJob job(1);
        job.fileLanguage = fileLanguage;
        job.set(Field::plexMode, 1);
        job.setText(Field::chapterPages, "1\r\n@PJL SET INJECTED=1");
        job.addException(3, "2\n@PJL SET INJECTED=2 %!PS");
        job.addException(5, "^3\r@PJL SET INJECTED=3");
        job.computeAvailability();
        std::remove(folder.path().c_str());
        ASSERT_EQ(generator.Generate(job.input(shipped), folder.path()), GeneratorResult::Ok);
        const std::string header = readFile(folder.path());
        auto all = linesOf(header);
        EXPECT_TRUE(std::all_of(all.begin() + 1, all.end(), [](auto& l) { return l.rfind("@PJL", 0) == 0; }));
        EXPECT_THAT(all, Not(::testing::Contains(::testing::StartsWith("@PJL SET INJECTED"))));
        EXPECT_THAT(all, Not(::testing::Contains(::testing::StartsWith("%"))));
    }
}

TEST_F(GeneratorTest, IncludeFileMustBeARegularFileWithinItsCap)
{
    TestJob job;
    job.set(Field::settingsMode, 1);
    const std::string fifo = folder.path("include.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string large = folder.path("large.ps");
    writeFile(large, "");
    ASSERT_EQ(::truncate(large.c_str(), off_t(kIncludeFileByteCap) + 1), 0);
    for (const std::string& path : {std::string("/dev/zero"), fifo, large, folder.path("")}) {
        SCOPED_TRACE(path);
        dialogs.shown.clear();
        job.setText(Field::customIncludeFile, path);
        const auto start = std::chrono::steady_clock::now();
        generate(job);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30)) << "no hang, no endless copy";
        EXPECT_EQ(result, GeneratorResult::IncludeFileUnreadable);
        EXPECT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(readFile(folder.path()).size(), 0u);
    }
    ASSERT_EQ(::truncate(large.c_str(), off_t(kIncludeFileByteCap)), 0);
    job.setText(Field::customIncludeFile, large);
    EXPECT_EQ(generate(job).size(), kIncludeFileByteCap + 1) << "a file at the cap is copied whole, then a newline";
}

TEST_F(GeneratorTest, OneCapHoldsForTheWholeHeader)
{
    TestJob job;
    job.set(Field::plexMode, 1);
    for (int i = 0; i < 512; ++i)
        job.addException(3 + i % 2, "1..1800000");
    generate(job);
    EXPECT_EQ(result, GeneratorResult::MemoryExhausted);
    EXPECT_LE(readFile(folder.path()).size(), kHeaderByteCap) << "nothing beyond the cap reaches the disk";

    TestJob fits;   // one large list below the cap is still written
    fits.addException(3, "1..200000");
    generate(fits);
    EXPECT_EQ(result, GeneratorResult::Ok);
    EXPECT_GT(readFile(folder.path()).size(), 1000000u);
    EXPECT_NE(generatorResultText(GeneratorResult::MemoryExhausted).find("32 MiB"), std::string::npos);
}

} // namespace
