// Whole job headers with the shipped command tables, compared with the staging files kept in
// tests/data/output (SPX_UPDATE_GOLDEN=1 rewrites them). PostScript headers go through
// Ghostscript where it is installed; PJL headers are checked line by line.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "GeneratorTestSupport.h"

using namespace spx;
using namespace spx::test;

namespace {

struct GoldenCase {
    std::string name;
    int printerLanguage;
    int fileLanguage;
    std::function<void(TestJob&, const std::string& folder)> setup;
};

void fullJob(TestJob& job)
{
    job.set(Field::plexMode, 1);
    job.set(Field::copies, 25);
    job.set(Field::stapleMode, 1);
    job.set(Field::outputExit, 5);
    job.set(Field::frontCover, 1);
    job.set(Field::frontCoverPaper, 3);
    job.set(Field::backCover, 3);
    job.set(Field::backCoverPaper, 2);
    job.set(Field::statusMode, 1);
    job.set(Field::statusPaper, 2);
    job.set(Field::headerPage, 1);
    job.set(Field::headerPaper, 3);
    job.set(Field::mismatchHandling, 2);
    job.set(Field::pageRangeActive, 1);
    job.set(Field::fromPage, 2);
    job.set(Field::toPage, 40);
    job.setText(Field::jobText1040, "Quarterly \"report\"");
    job.setText(Field::jobText1041, "Dept. 7-B");
    job.setText(Field::jobText1074, "rush");
    job.setText(Field::auxText, "cost centre 42");
    job.setText(Field::emailAddress, "print-room@example.com");
    job.setText(Field::chapterPages, "1,12,30..33");
    job.addException(3, "5..9 ^2 last");
    job.addException(5, "3,,7 11^");
    job.user = "Grace Hopper";
}

const GoldenCase kCases[] = {
    {"ps_printer_ps_file", 0, 0, [](TestJob&, const std::string&) {}},
    {"ps_printer_pcl_file", 0, 1, [](TestJob&, const std::string&) {}},
    {"ps_printer_pdf_file", 0, 2, [](TestJob&, const std::string&) {}},
    {"pcl_printer_ps_file", 1, 0, [](TestJob& j, const std::string&) { j.set(Field::outputExit, 1); }},
    {"pcl_printer_pcl_file", 1, 1, [](TestJob& j, const std::string&) { j.set(Field::outputExit, 1); }},
    {"pcl_printer_pdf_file", 1, 2, [](TestJob& j, const std::string&) { j.set(Field::outputExit, 1); }},
    {"ps_full_job", 0, 0, [](TestJob& j, const std::string&) { fullJob(j); }},
    {"ps_full_job_pcl_file", 0, 1, [](TestJob& j, const std::string&) { fullJob(j); }},
    {"pcl_full_job", 1, 1,
     [](TestJob& j, const std::string&) {
         fullJob(j);
         j.set(Field::freeformColor, 1);
         j.set(Field::colorMap1, 2);
         j.set(Field::colorMap6, 4);
         j.set(Field::proofSet, 1);
         j.set(Field::proofSetAction, 1);
     }},
    {"ps_interleaves", 0, 0, [](TestJob& j, const std::string&) { j.set(Field::plexMode, 3); j.addException(3, "1"); }},
    {"pcl_interleaves", 1, 1, [](TestJob& j, const std::string&) { j.set(Field::plexMode, 4); }},
    {"ps_pamphlet", 0, 0,
     [](TestJob& j, const std::string&) {
         j.set(Field::plexMode, 5);
         j.set(Field::notPamphlet, 0);
         j.set(Field::outputExit, 0);
         j.set(Field::stapleMode, 5);
         j.set(Field::foldMode, 2);
         j.set(Field::trimEdges, 1);
         j.set(Field::frontCover, 1);
         j.set(Field::frontCoverPaper, 3);
         j.set(Field::pamphletPages, 30);
         j.setText(Field::chapterPages, "1 9");
     }},
    {"pcl_pamphlet_preprinted_cover", 1, 1,
     [](TestJob& j, const std::string&) {
         j.set(Field::plexMode, 5);
         j.set(Field::notPamphlet, 0);
         j.set(Field::frontCover, 4);
         j.set(Field::frontCoverPaper, 3);
         j.set(Field::pamphletPages, 60);
     }},
    {"ps_covers_preprinted_back", 0, 0,
     [](TestJob& j, const std::string&) {
         j.set(Field::plexMode, 1);
         j.set(Field::frontCover, 2);
         j.set(Field::frontCoverPaper, 3);
         j.set(Field::backCover, 4);
         j.set(Field::backCoverPaper, 2);
         j.set(Field::separators, 1);
         j.set(Field::separatorPaper, 4);
     }},
    {"ps_status_always_proof_timed", 0, 0,
     [](TestJob& j, const std::string&) {
         j.set(Field::statusMode, 2);
         j.set(Field::proofSet, 1);
         j.set(Field::stackMode, 1);
     }},
    {"pcl_status_single_page", 1, 0, [](TestJob& j, const std::string&) { j.set(Field::statusMode, 3); }},
    {"ps_long_exception", 0, 0,
     [](TestJob& j, const std::string&) {
         j.set(Field::plexMode, 1);
         j.addException(3, "1..120");
         std::string chapters;
         for (int page = 1; page < 400; page += 3)
             chapters += std::to_string(page) + ",";
         j.setText(Field::chapterPages, chapters);
     }},
    {"ps_custom_text_and_include", 0, 0,
     [](TestJob& j, const std::string& folder) {
         j.setText(Field::customText, "%%JobSpecial: yes\n");
         std::string bytes;
         for (int i = 0; bytes.size() < 510; ++i)
             bytes += "% include line " + std::to_string(i) + "\n";
         bytes.resize(509);
         bytes += "\n";
         writeFile(folder + "/include.ps", bytes);
         j.setText(Field::customIncludeFile, folder + "/include.ps");
     }},
    {"pcl_settings_mode_1", 1, 1,
     [](TestJob& j, const std::string& folder) {
         j.set(Field::settingsMode, 1);
         j.setText(Field::customText, "@PJL SET RESOLUTION = 600");
         writeFile(folder + "/include.pjl", "@PJL SET ECONOMODE = OFF\n");
         j.setText(Field::customIncludeFile, folder + "/include.pjl");
     }},
};

// Every line of a PJL header is a PJL command: the first begins with the universal exit
// language sequence, none is blank, quoted values are closed.
void expectPjl(const std::string& header)
{
    auto lines = linesOf(header);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "\x1b%-12345X@PJL");
    for (size_t i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].rfind("@PJL", 0), 0u) << "line " << i << ": " << lines[i];
        EXPECT_EQ(std::count(lines[i].begin(), lines[i].end(), '"') % 2, 0) << lines[i];
        EXPECT_EQ(lines[i].find('\r'), std::string::npos);
    }
    EXPECT_EQ(header.back(), '\n');
}

class GoldenHeaderTest : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenHeaderTest, MatchesTheKeptStagingFile)
{
    const GoldenCase& c = GetParam();
    static const StringTable strings = shippedStrings();
    StagingFolder folder;
    TestJob job(c.printerLanguage);
    job.fileLanguage = effectiveFileLanguage(c.printerLanguage, c.fileLanguage);
    job.printFile = c.fileLanguage == 1 ? "/jobs/annual report.pcl" : c.fileLanguage == 2 ? "/jobs/flyer.pdf" : "/jobs/report.ps";
    c.setup(job, folder.path(""));
    job.computeAvailability();
    CJobStreamGenerator generator;
    ASSERT_EQ(generator.Generate(job.input(strings), folder.path()), GeneratorResult::Ok);
    const std::string header = readFile(folder.path());
    const std::string golden = std::string(SPX_TEST_DATA_DIR) + "/output/" + c.name + ".hdr";
    if (std::getenv("SPX_UPDATE_GOLDEN"))
        writeFile(golden, header);
    EXPECT_EQ(header, readFile(golden)) << "compare with " << golden;

    const bool settingsModeFull = job.options.number(Field::settingsMode) == 0;
    if (settingsModeFull && (c.printerLanguage == 1 || job.fileLanguage == FileLanguagePcl))
        expectPjl(header);
    if (settingsModeFull && c.printerLanguage == 0 && job.fileLanguage == FileLanguagePostScript
        && std::system("command -v gs >/dev/null 2>&1") == 0) {
        // A PostScript interpreter takes the header followed by a print file without complaint.
        writeFile(folder.path("job.ps"), header + "%!PS-Adobe-3.0\n/Helvetica 12 selectfont 72 720 moveto (page) show showpage\n");
        std::string command = "gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=nullpage '" + folder.path("job.ps") + "' > '"
                              + folder.path("gs.out") + "' 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << readFile(folder.path("gs.out"));
        EXPECT_EQ(readFile(folder.path("gs.out")).find("Error"), std::string::npos) << readFile(folder.path("gs.out"));
    }
}

INSTANTIATE_TEST_SUITE_P(Jobs, GoldenHeaderTest, ::testing::ValuesIn(kCases),
                         [](const auto& testInfo) { return testInfo.param.name; });

} // namespace
