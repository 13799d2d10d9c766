#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "Profile.h"

using namespace spx;

namespace {

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/spx-profile-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder = pattern;
        file = folder + "/spxl.ini";
    }
    void TearDown() override { std::system(("rm -rf '" + folder + "'").c_str()); }

    void write(const std::string& content) { std::ofstream(file, std::ios::binary) << content; }
    std::string read() const
    {
        std::string content;
        readWholeFile(file, content);
        return content;
    }

    std::string folder, file;
};

const char* const kSample =
    "; the program's settings\n"
    "[Options]\n"
    "MenuLock = 1\n"
    "Password=\"secret\"\n"
    "\n"
    "[Folders]\n"
    "Last=/home/op/jobs\n"
    "TabStops=12abc\n"
    "Negative=-40\n"
    "Words=none\n";

} // namespace

TEST_F(ProfileTest, ReadsWithoutRegardToCaseAndFallsBackToDefaults)
{
    write(kSample);
    EXPECT_EQ(Profile::getString(file, "options", "MENULOCK", "0"), "1");
    EXPECT_EQ(Profile::getString(file, "OPTIONS", "password", ""), "secret");
    EXPECT_EQ(Profile::getString(file, "Folders", "last", ""), "/home/op/jobs");
    EXPECT_EQ(Profile::getString(file, "Folders", "Missing", "dflt"), "dflt");
    EXPECT_EQ(Profile::getString(file, "Nowhere", "Last", "dflt"), "dflt");
    EXPECT_EQ(Profile::getString(folder + "/none.ini", "Options", "MenuLock", "x"), "x");
    EXPECT_EQ(Profile::getString(file, "Folders", "Last", "", 6), "/home");

    EXPECT_EQ(Profile::getInt(file, "Options", "MenuLock", 7), 1);
    EXPECT_EQ(Profile::getInt(file, "Folders", "TabStops", 7), 12);
    EXPECT_EQ(Profile::getInt(file, "Folders", "Negative", 7), -40);
    EXPECT_EQ(Profile::getInt(file, "Folders", "Words", 7), 0);
    EXPECT_EQ(Profile::getInt(file, "Folders", "Missing", 7), 7);
    EXPECT_EQ(Profile::sectionKeys(file, "folders"),
              (std::vector<std::string> {"Last", "TabStops", "Negative", "Words"}));
}

TEST_F(ProfileTest, WritesKeepTheRestOfTheFile)
{
    write(kSample);
    ASSERT_TRUE(Profile::writeString(file, "OPTIONS", "menulock", "0"));
    ASSERT_TRUE(Profile::writeString(file, "Options", "Delay", "5"));
    ASSERT_TRUE(Profile::writeString(file, "New", "Key", "v"));
    EXPECT_EQ(read(),
              "; the program's settings\n"
              "[Options]\n"
              "menulock=0\n"
              "Password=\"secret\"\n"
              "Delay=5\n"
              "\n"
              "[Folders]\n"
              "Last=/home/op/jobs\n"
              "TabStops=12abc\n"
              "Negative=-40\n"
              "Words=none\n"
              "\n"
              "[New]\n"
              "Key=v\n");

    ASSERT_TRUE(Profile::deleteKey(file, "folders", "TABSTOPS"));
    ASSERT_TRUE(Profile::deleteSection(file, "options"));
    EXPECT_EQ(read(),
              "; the program's settings\n"
              "[Folders]\n"
              "Last=/home/op/jobs\n"
              "Negative=-40\n"
              "Words=none\n"
              "\n"
              "[New]\n"
              "Key=v\n");
    EXPECT_TRUE(Profile::deleteSection(file, "Absent"));
    EXPECT_TRUE(Profile::deleteSection(folder + "/none.ini", "Absent"));

    // A new file is made on the first write.
    const std::string fresh = folder + "/fresh.ini";
    ASSERT_TRUE(Profile::writeString(fresh, "S", "K", "1"));
    EXPECT_EQ(Profile::getInt(fresh, "s", "k", 0), 1);
}

TEST_F(ProfileTest, KeepsWindowsLineEnds)
{
    write("[A]\r\nX=1\r\n[B]\r\nY=2\r\n");
    ASSERT_TRUE(Profile::writeString(file, "A", "Z", "3"));
    EXPECT_EQ(read(), "[A]\r\nX=1\r\nZ=3\r\n[B]\r\nY=2\r\n");
    EXPECT_EQ(Profile::getString(file, "B", "Y", ""), "2");
}

TEST_F(ProfileTest, RefusesWritesThatWouldBreakTheFile)
{
    write(kSample);
    EXPECT_FALSE(Profile::writeString(file, "Options", "Delay", "1\n[Evil]"));
    EXPECT_FALSE(Profile::writeString(file, "Options", "Bad\nKey", "1"));
    EXPECT_FALSE(Profile::writeString(file, "Opt]ions", "Key", "1"));
    EXPECT_FALSE(Profile::writeString(file, "Options", "a=b", "1"));
    EXPECT_FALSE(Profile::writeString(file, "Options", ";hidden", "1"));
    EXPECT_FALSE(Profile::writeString(file, "", "Key", "1"));
    EXPECT_EQ(read(), kSample);
}

TEST_F(ProfileTest, AFailedWriteLeavesTheOldFileIntact)
{
    write(kSample);
    // A file size limit makes the write of the new contents fail part way.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tight = old;
    tight.rlim_cur = 256;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    const bool written = Profile::writeString(file, "Options", "Big", std::string(1000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(read(), kSample);
    // No temporary file is left behind.
    EXPECT_EQ(std::system(("test $(ls -A '" + folder + "' | wc -l) -eq 1").c_str()), 0);

    EXPECT_FALSE(Profile::writeString(folder + "/no/such/dir.ini", "S", "K", "v"));
}
