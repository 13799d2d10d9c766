// Saving into a configuration folder the operator cannot write: the save fails, the file keeps
// its contents, and the message names the folder and the reason instead of a bare "could not be
// written".

#include <sys/stat.h>
#include <unistd.h>

#include "JobTestSupport.h"
#include "PaperCatalogue.h"

namespace spx::test {
namespace {

using ConfigFolderTest = JobTest;

TEST_F(ConfigFolderTest, ACatalogueSaveIntoAFolderThatIsGoneNamesTheFolder)
{
    CSpxDoc& d = newDocument();
    const std::string away = folder + ".away";
    std::filesystem::rename(folder, away);   // as a configuration folder on a share that went away
    const bool saved = PaperCatalogue(d).SavePaperCatalogue();
    std::filesystem::rename(away, folder);
    EXPECT_FALSE(saved);
    ASSERT_FALSE(dialogs.shown.empty());
    const std::string& message = dialogs.shown.back().text;
    EXPECT_EQ(message.rfind(config.strings.text(IdsConfigFolderNotWritable) + "\n" + folder + "\n(", 0), 0u) << message;
    EXPECT_EQ(dialogs.shown.back().icon, MessageIcon::Stop);
}

TEST_F(ConfigFolderTest, ACatalogueSaveIntoAReadOnlyFolderNamesTheFolderAndKeepsTheFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser writes into read-only folders";
    CSpxDoc& d = newDocument();
    const std::string before = readFile(path("papers.ini"));
    d.paperList().RemoveAt(5);
    ::chmod(folder.c_str(), 0555);
    EXPECT_FALSE(PaperCatalogue(d).SavePaperCatalogue());
    ::chmod(folder.c_str(), 0755);
    EXPECT_EQ(readFile(path("papers.ini")), before);
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_NE(dialogs.shown.back().text.find("\n" + folder + "\n("), std::string::npos);
}

} // namespace
} // namespace spx::test
