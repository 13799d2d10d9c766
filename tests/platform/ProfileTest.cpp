#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
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
    std::string read(const std::string& path = {}) const
    {
        std::string content;
        readWholeFile(path.empty() ? file : path, content);
        return content;
    }
    int entriesIn(const std::string& dir) const
    {
        return std::system(("exit $(ls -A '" + dir + "' | wc -l)").c_str()) >> 8;
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

namespace {

constexpr uid_t kNobody = 65534;

// Runs `body` in a forked child and returns its result (the child's exit code). Run as root, the
// child first becomes the user "nobody", so that file permissions apply to it.
int inChildAsUser(const std::function<int()>& body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(120);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A file the child of inChildAsUser owns, in a folder it may write.
void giveToChild(const std::string& folder, const std::string& path, mode_t mode)
{
    ::chmod(folder.c_str(), 0777);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
    }
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
}

mode_t modeOf(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

} // namespace

TEST_F(ProfileTest, AProfileFileAnswersFromTheOneVersionItRead)
{
    write(kSample);
    const ProfileFile profile = ProfileFile::read(file);
    write("[Options]\nMenuLock=9\n");
    EXPECT_EQ(profile.state(), ProfileFile::State::Read);
    EXPECT_EQ(profile.getInt("options", "menulock", 7), 1);
    EXPECT_EQ(profile.getString("Folders", "LAST", ""), "/home/op/jobs");
    EXPECT_EQ(profile.sectionKeys("Folders").size(), 4u);
    EXPECT_EQ(Profile::getInt(file, "Options", "MenuLock", 7), 9);
    EXPECT_EQ(ProfileFile::read(folder + "/none.ini").state(), ProfileFile::State::Missing);

    // The first of two equal sections or keys is the one that counts; a write of a key given
    // twice keeps its last value.
    ProfileFile twice = ProfileFile::fromText("[A]\nK=1\nk=2\n[a]\nK=3\n");
    EXPECT_EQ(twice.getString("A", "K", ""), "1");
    ASSERT_TRUE(twice.setStrings("A", {{"New", "x"}, {"NEW", "y"}, {"K", "5"}}));
    EXPECT_EQ(twice.text(), "[A]\nK=5\nk=2\nNEW=y\n[a]\nK=3\n");
}

TEST_F(ProfileTest, SkipsALeadingByteOrderMarkAndKeepsIt)
{
    write("\xEF\xBB\xBF[Papers]\nCount=3\n");
    EXPECT_EQ(Profile::getInt(file, "Papers", "Count", -1), 3);
    EXPECT_EQ(Profile::sectionKeys(file, "Papers"), std::vector<std::string>{"Count"});
    ASSERT_TRUE(Profile::writeString(file, "Papers", "MainPaper", "2"));
    EXPECT_EQ(read(), "\xEF\xBB\xBF[Papers]\nCount=3\nMainPaper=2\n");
}

TEST_F(ProfileTest, AFileThatCannotBeReadIsNeverWritten)
{
    write(kSample);
    giveToChild(folder, file, 0200);   // writable, not readable
    EXPECT_EQ(inChildAsUser([&] {
                  return Profile::writeString(file, "Papers", "Count", "1") || Profile::deleteKey(file, "Options", "MenuLock")
                         || Profile::deleteSection(file, "Options");
              }),
              0);
    ::chmod(file.c_str(), 0644);
    EXPECT_EQ(read(), kSample);

    const ProfileFile unreadable = ProfileFile::read(folder);   // a folder is no profile
    EXPECT_EQ(unreadable.state(), ProfileFile::State::Unreadable);
    EXPECT_EQ(unreadable.save(folder + "/copy.ini"), EIO);
    EXPECT_NE(::access((folder + "/copy.ini").c_str(), F_OK), 0);
}

TEST_F(ProfileTest, AtomicWritesFollowSymbolicLinks)
{
    ASSERT_EQ(::mkdir((folder + "/real").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((folder + "/links").c_str(), 0755), 0);
    const std::string target = folder + "/real/spxl.ini", link = folder + "/links/spxl.ini";
    std::ofstream(target) << kSample;
    ASSERT_EQ(::symlink("../real/spxl.ini", link.c_str()), 0);
    ASSERT_TRUE(Profile::writeString(link, "Options", "MenuLock", "0"));
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays a link";
    EXPECT_EQ(Profile::getInt(target, "Options", "MenuLock", 7), 0);

    // A chain of links, and a link to a file that does not exist yet.
    const std::string chain = folder + "/chain.ini";
    ASSERT_EQ(::symlink(link.c_str(), chain.c_str()), 0);
    EXPECT_EQ(writeFileAtomically(chain, "[S]\n"), 0);
    EXPECT_EQ(read(target), "[S]\n");
    const std::string dangling = folder + "/links/new.ini";
    ASSERT_EQ(::symlink("../real/new.ini", dangling.c_str()), 0);
    EXPECT_EQ(writeFileAtomically(dangling, "[New]\n"), 0);
    EXPECT_EQ(read(folder + "/real/new.ini"), "[New]\n");
    ASSERT_EQ(::lstat(dangling.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));

    const std::string loop = folder + "/loop.ini";
    ASSERT_EQ(::symlink(loop.c_str(), loop.c_str()), 0);
    EXPECT_EQ(writeFileAtomically(loop, "x"), ELOOP);
    EXPECT_EQ(entriesIn(folder + "/real"), 2) << "no temporary file is left beside the target";
    EXPECT_EQ(entriesIn(folder + "/links"), 2);
}

TEST_F(ProfileTest, AtomicWritesReplaceOnlyRegularFiles)
{
    const std::string fifo = folder + "/fifo", dir = folder + "/dir", link = folder + "/link";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0);
    ASSERT_EQ(::symlink(fifo.c_str(), link.c_str()), 0);
    for (const std::string& path : {fifo, dir, link})
        EXPECT_EQ(writeFileAtomically(path, "[S]\n"), EINVAL) << path;
    struct stat st {};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    // The profile functions neither block on a FIFO nor replace it.
    EXPECT_EQ(Profile::getString(fifo, "S", "K", "dflt"), "dflt");
    EXPECT_FALSE(Profile::writeString(fifo, "S", "K", "v"));
    EXPECT_EQ(entriesIn(folder), 3);
}

TEST_F(ProfileTest, NewFilesFollowTheUmaskAndReplacedFilesKeepTheirMode)
{
    const mode_t saved = ::umask(077);
    const int privateWrite = writeFileAtomically(folder + "/private.ini", "[S]\n");
    ::umask(022);
    const int sharedWrite = writeFileAtomically(folder + "/shared.ini", "[S]\n");
    write(kSample);
    ::chmod(file.c_str(), 0640);
    ::umask(077);
    const bool replaced = Profile::writeString(file, "Options", "MenuLock", "0");
    ::umask(saved);

    ASSERT_EQ(privateWrite, 0);
    ASSERT_EQ(sharedWrite, 0);
    ASSERT_TRUE(replaced);
    EXPECT_EQ(modeOf(folder + "/private.ini"), 0600u);
    EXPECT_EQ(modeOf(folder + "/shared.ini"), 0644u);
    EXPECT_EQ(modeOf(file), 0640u);
}

TEST_F(ProfileTest, AWriteProtectedFileIsNotReplaced)
{
    write(kSample);
    const std::string link = folder + "/link.ini";
    ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);
    giveToChild(folder, file, 0444);
    EXPECT_EQ(inChildAsUser([&] { return writeFileAtomically(file, "x"); }), EACCES);
    EXPECT_EQ(inChildAsUser([&] { return writeFileAtomically(link, "x"); }), EACCES);
    EXPECT_EQ(inChildAsUser([&] { return int(Profile::writeString(file, "Options", "MenuLock", "0")); }), 0);
    EXPECT_EQ(read(), kSample);
    EXPECT_EQ(entriesIn(folder), 2) << "nothing was made beside it";

    // The same file made writable is replaced by the same user: the refusal was the file's.
    ::chmod(file.c_str(), 0644);
    EXPECT_EQ(inChildAsUser([&] { return writeFileAtomically(link, "[S]\n"); }), 0);
    EXPECT_EQ(read(), "[S]\n");
}

TEST_F(ProfileTest, TwoProcessesWritingOneFileKeepEachOthersKeys)
{
    write(kSample);
    auto writer = [&](const std::string& prefix) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            int failures = 0;
            for (int i = 0; i < 100; ++i)
                failures += !Profile::writeString(file, "Keys", prefix + std::to_string(i), "v");
            ::_exit(failures);
        }
        return pid;
    };
    const pid_t a = writer("A"), b = writer("B");
    for (pid_t pid : {a, b}) {
        int status = -1;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(Profile::sectionKeys(file, "Keys").size(), 200u);
    EXPECT_EQ(Profile::getString(file, "Folders", "Last", ""), "/home/op/jobs");
}
