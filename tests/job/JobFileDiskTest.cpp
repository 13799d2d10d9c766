// Job files against the file system: symbolic links, write protection, FIFOs and devices, a
// file changed by someone else, and two processes updating one file.

#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "Profile.h"
#include "JobTestSupport.h"

namespace spx::test {
namespace {

namespace fs = std::filesystem;

// A test that would hang on a FIFO fails instead.
struct Watchdog {
    explicit Watchdog(unsigned seconds) { ::alarm(seconds); }
    ~Watchdog() { ::alarm(0); }
};

class JobFileDiskTest : public JobTest {
protected:
    bool shown(int id) const
    {
        for (const auto& message : dialogs.shown)
            if (message.text.find(config.strings.text(id)) != std::string::npos)
                return true;
        return false;
    }
    std::string savedJob(const std::string& name, int copies)
    {
        CSpxDoc& d = newDocument();
        d.SetCopies(copies);
        EXPECT_TRUE(d.OnSaveDocument(path(name)));
        return readFile(path(name));
    }
    // Runs `body` in a child process; its exit status is returned.
    static int inChild(const std::function<int()>& body)
    {
        const pid_t pid = ::fork();
        if (pid == 0)
            ::_exit(body());
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
};

TEST_F(JobFileDiskTest, ASaveThroughASymbolicLinkReplacesTheFileItNames)
{
    fs::create_directory(path("real"));
    const std::string before = savedJob("real/job.spx", 2);
    fs::create_symlink("real/job.spx", path("link.spx"));
    CSpxDoc& d = newDocument();
    d.SetCopies(7);
    ASSERT_TRUE(d.OnSaveDocument(path("link.spx")));
    EXPECT_TRUE(fs::is_symlink(path("link.spx")));
    const std::string after = readFile(path("real/job.spx"));
    EXPECT_NE(after, before);
    EXPECT_EQ(after, readFile(path("link.spx")));
    EXPECT_EQ(std::distance(fs::directory_iterator(path("real")), {}), 1);   // no temporary left

    // A link to a file that does not exist yet creates that file; a loop of links is refused.
    fs::create_symlink(path("real/new.spx"), path("dangling.spx"));
    ASSERT_TRUE(d.OnSaveDocument(path("dangling.spx")));
    EXPECT_TRUE(fs::is_symlink(path("dangling.spx")));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(path("real/new.spx"))));
    fs::create_symlink("loop-b", path("loop-a"));
    fs::create_symlink("loop-a", path("loop-b"));
    dialogs.shown.clear();
    EXPECT_FALSE(d.OnSaveDocument(path("loop-a")));
    EXPECT_TRUE(shown(IdsNotARegularFile));
    EXPECT_TRUE(fs::is_symlink(path("loop-a")));
}

TEST_F(JobFileDiskTest, AJobFileTheUserMayNotWriteIsNotReplaced)
{
    const std::string before = savedJob("job.spx", 2);
    auto saveAsOtherUser = [&]() {
        CSpxDoc d(config, dialogs);
        if (!d.OnNewDocument())
            return 3;
        d.SetCopies(9);
        if (d.OnSaveDocument(path("job.spx")))
            return 1;
        return shown(IdsWriteFailed) ? 0 : 2;
    };
    if (::geteuid() == 0) {
        // Root may write anything: the save runs as nobody in a folder everyone may write, so
        // only the check on the file itself stands in the way.
        const struct passwd* nobody = ::getpwnam("nobody");
        if (!nobody)
            GTEST_SKIP() << "running as root and there is no user nobody to drop to";
        fs::permissions(folder, fs::perms::all);
        EXPECT_EQ(inChild([&] {
                      if (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
                          return 4;
                      return saveAsOtherUser();
                  }),
                  0);
    } else {
        fs::permissions(path("job.spx"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        EXPECT_EQ(saveAsOtherUser(), 0);
    }
    EXPECT_EQ(readFile(path("job.spx")), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 3);   // no temporary left
}

TEST_F(JobFileDiskTest, FifosAndDevicesAreRefusedWithoutWaiting)
{
    Watchdog watchdog(30);
    ASSERT_EQ(::mkfifo(path("fifo.spx").c_str(), 0600), 0);
    CSpxDoc& d = newDocument();
    for (const std::string& name : {path("fifo.spx"), std::string("/dev/null")}) {
        dialogs.shown.clear();
        EXPECT_FALSE(d.OnOpenDocument(name)) << name;
        EXPECT_TRUE(shown(IdsInvalidFileEnd)) << name;
        d.flags().openedByName = true;
        EXPECT_FALSE(d.OnOpenDocument(name)) << name;
        d.flags().openedByName = false;
        dialogs.setNextAnswer(MessageAnswer::Yes);   // open it anyway?
        EXPECT_EQ(d.OpenJobFile(name), 0) << name;
        EXPECT_EQ(d.OpenJobFileForUpdate(name), 0) << name;
        EXPECT_EQ(d.title(), config.strings.text(IdsUntitled));
    }
    // Nor is anything but a regular file the target of a save, through a link or not.
    fs::create_symlink("fifo.spx", path("link.spx"));
    for (const std::string& name : {path("fifo.spx"), path("link.spx")}) {
        dialogs.shown.clear();
        EXPECT_FALSE(d.OnSaveDocument(name));
        EXPECT_TRUE(shown(IdsNotARegularFile));
    }
    dialogs.setNextFileName(path("fifo.spx"));
    dialogs.setNextFileDialogCancelled();
    EXPECT_FALSE(d.SaveJobAs());
    EXPECT_EQ(dialogs.fileRequests.size(), 2u);   // the Save dialog came again
    EXPECT_TRUE(fs::is_fifo(path("fifo.spx")));
}

TEST_F(JobFileDiskTest, SaveAsksBeforeOverwritingAFileChangedBySomeoneElse)
{
    savedJob("job.spx", 2);
    CSpxDoc& d = newDocument();
    ASSERT_EQ(d.OpenJobFile(path("job.spx")), 2);
    // Someone else saves the file (a new file renamed over it, as every save here does).
    const std::string theirs = readFile(path("job.spx")) + "x";
    ASSERT_EQ(writeFileAtomically(path("job.spx"), theirs), 0);
    d.SetCopies(7);
    dialogs.setNextAnswer(MessageAnswer::No);
    EXPECT_FALSE(d.DoFileSave());
    EXPECT_TRUE(shown(IdsChangedOnDisk));
    EXPECT_EQ(readFile(path("job.spx")), theirs);
    EXPECT_TRUE(d.IsModified());
    dialogs.setNextAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(d.DoFileSave());
    EXPECT_NE(readFile(path("job.spx")), theirs);
    // Its own save is no change by someone else.
    dialogs.shown.clear();
    d.SetCopies(8);
    EXPECT_TRUE(d.DoFileSave());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(JobFileDiskTest, TwoProcessesUpdatingOneFileLoseNoChange)
{
    constexpr int kRounds = 200;
    savedJob("job.spx", 1);
    doc.reset();
    auto updater = [&]() {
        ScriptedDialogs quiet;
        CSpxDoc d(config, quiet);
        if (!d.OnNewDocument())
            return 3;
        for (int round = 0; round < kRounds; ++round) {
            if (d.OpenJobFileForUpdate(path("job.spx")) != 2)
                return 1;
            d.SetCopies(d.GetCopies() + 1);
            ::usleep(200);   // the other process gets its turn between the read and the write
            if (!d.DoFileSave())
                return 2;
        }
        return 0;
    };
    const pid_t first = ::fork();
    if (first == 0)
        ::_exit(updater());
    EXPECT_EQ(inChild(updater), 0);
    int status = 0;
    ::waitpid(first, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    CSpxDoc& d = newDocument();
    ASSERT_TRUE(d.OnOpenDocument(path("job.spx")));
    EXPECT_EQ(d.GetCopies(), 1 + 2 * kRounds);
}

} // namespace
} // namespace spx::test
