// The recent job files of the File menu: order, the limit of four, the profile that keeps them,
// a chosen file that is gone, and the menu texts.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "Profile.h"
#include "RecentFileList.h"

using namespace spx;
namespace fs = std::filesystem;

namespace {

class RecentFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/spx-recent-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder = pattern;
        profile = folder + "/spxl.ini";
    }
    void TearDown() override { fs::remove_all(folder); }
    std::string job(const std::string& name)
    {
        const std::string path = folder + "/" + name;
        std::ofstream(path) << "job";
        return path;
    }

    std::string folder, profile;
};

TEST_F(RecentFilesTest, NewestFirstARepeatMovesUpAndTheFifthFallsOff)
{
    RecentFileList list(profile);
    for (const char* name : {"/j/a.spx", "/j/b.spx", "/j/c.spx", "/j/d.spx"})
        list.add(name);
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"/j/d.spx", "/j/c.spx", "/j/b.spx", "/j/a.spx"}));
    list.add("/j/b.spx");
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"/j/b.spx", "/j/d.spx", "/j/c.spx", "/j/a.spx"}));
    list.add("/j/e.spx");
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"/j/e.spx", "/j/b.spx", "/j/d.spx", "/j/c.spx"}));
}

TEST_F(RecentFilesTest, PathsAreKeptAbsoluteSoTheSameFileIsOneEntry)
{
    const std::string previous = fs::current_path().string();
    fs::current_path(folder);
    RecentFileList list(profile);
    list.add("weekly.spx");
    list.add("./sub/../weekly.spx");
    list.add(folder + "/weekly.spx");
    fs::current_path(previous);
    EXPECT_EQ(list.entries(), std::vector<std::string>{folder + "/weekly.spx"});

    list.add("");
    list.add("/j/two\nlines.spx");   // cannot be kept in the profile
    EXPECT_EQ(list.entries().size(), 1u);
}

TEST_F(RecentFilesTest, TheProfileKeepsTheListAndTheRestOfItsSettings)
{
    ASSERT_TRUE(Profile::writeString(profile, "Access", "MenuLock", "1"));
    RecentFileList list(profile);
    for (const char* name : {"/j/a.spx", "/j/b.spx", "/j/c.spx"})
        list.add(name);
    ASSERT_TRUE(list.save());
    EXPECT_EQ(Profile::getString(profile, "Recent File List", "File1", ""), "/j/c.spx");

    RecentFileList again(profile);
    again.load();
    EXPECT_EQ(again.entries(), list.entries());

    // A shorter list leaves no stale keys behind.
    again.remove("/j/a.spx");
    again.remove("/j/b.spx");
    ASSERT_TRUE(again.save());
    EXPECT_EQ(Profile::sectionKeys(profile, "Recent File List"), std::vector<std::string>{"File1"});
    EXPECT_EQ(Profile::getString(profile, "Access", "MenuLock", ""), "1");

    again.remove("/j/c.spx");
    ASSERT_TRUE(again.save());
    RecentFileList empty(profile);
    empty.load();
    EXPECT_TRUE(empty.entries().empty());
}

TEST_F(RecentFilesTest, AHandEditedProfileGivesAtMostFourDistinctEntries)
{
    std::ofstream(profile) << "[recent file list]\nFile1=/j/a.spx\nFile2=\nfile3=/j/a.spx\nFile4=/j/b.spx\nFile5=/j/x.spx\n";
    RecentFileList list(profile);
    list.load();
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"/j/a.spx", "/j/b.spx"}));
}

TEST_F(RecentFilesTest, AChosenFileThatIsGoneLeavesTheListForGood)
{
    const std::string kept = job("kept.spx");
    RecentFileList list(profile);
    list.add(folder + "/gone.spx");
    list.add(kept);
    ASSERT_TRUE(list.save());

    std::string path;
    EXPECT_EQ(list.choose(0, path), RecentFileList::Choice::Open);
    EXPECT_EQ(path, kept);
    EXPECT_EQ(list.choose(1, path), RecentFileList::Choice::Missing);
    EXPECT_EQ(path, folder + "/gone.spx");
    EXPECT_EQ(list.entries(), std::vector<std::string>{kept});
    EXPECT_EQ(list.choose(1, path), RecentFileList::Choice::NoEntry);

    RecentFileList reread(profile);
    reread.load();
    EXPECT_EQ(reread.entries(), std::vector<std::string>{kept});
}

TEST_F(RecentFilesTest, RememberAddsToWhatAnotherRunningCopySaved)
{
    RecentFileList mine(profile), theirs(profile);
    ASSERT_TRUE(mine.remember("/j/a.spx"));
    ASSERT_TRUE(theirs.remember("/j/b.spx"));
    ASSERT_TRUE(mine.remember("/j/c.spx"));
    EXPECT_EQ(mine.entries(), (std::vector<std::string>{"/j/c.spx", "/j/b.spx", "/j/a.spx"}));
}

TEST_F(RecentFilesTest, SavingMakesTheProfileFolderOrSaysItCannot)
{
    RecentFileList user(folder + "/home/.config/spxl/spxl.ini");
    user.add("/j/a.spx");
    EXPECT_TRUE(user.save());
    EXPECT_TRUE(fs::exists(folder + "/home/.config/spxl/spxl.ini"));

    const std::string plain = job("plain");
    RecentFileList blocked(plain + "/spxl.ini");
    blocked.add("/j/a.spx");
    EXPECT_FALSE(blocked.save());
}

TEST_F(RecentFilesTest, MenuTextsNumberTheEntriesAndShowAmpersandsAsThemselves)
{
    RecentFileList list(profile);
    list.add("/jobs/R&D/weekly.spx");
    list.add("/jobs/a.spx");
    EXPECT_EQ(list.menuText(0), "&1 /jobs/a.spx");
    EXPECT_EQ(list.menuText(1), "&2 /jobs/R&&D/weekly.spx");
    EXPECT_EQ(list.menuText(2), "");
}

TEST_F(RecentFilesTest, LongPathsKeepTheFirstFolderAndTheWholeFileName)
{
    const std::string deep = "/home/operator/print-room/customers/2026/december/brochure-run.spx";
    EXPECT_EQ(RecentFileList::shortenedPath(deep, 48), "/home/.../2026/december/brochure-run.spx");
    EXPECT_LE(RecentFileList::shortenedPath(deep, 48).size(), 48u);
    EXPECT_EQ(RecentFileList::shortenedPath(deep, 20), "/home/.../brochure-run.spx");
    const std::string longName = "/j/" + std::string(60, 'n') + ".spx";
    EXPECT_EQ(RecentFileList::shortenedPath(longName, 48), longName);   // nothing to leave out
    EXPECT_EQ(RecentFileList::shortenedPath("/short/a.spx", 48), "/short/a.spx");
}

} // namespace
