// The whole path: send loop, CUPS spooler, a private cupsd, the socket backend and a printer
// that keeps what it receives. Every document is compared byte for byte with header + file, and
// no test leaves a staging file in the temporary folder or a job in a queue.

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/wait.h>
#include <netinet/in.h>

#include <cups/cups.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <future>
#include <memory>
#include <unistd.h>

#include "CaptureSupport.h"
#include "Configuration.h"
#include "CupsSpooler.h"
#include "DocumentSendJob.h"
#include "JobStreamGenerator.h"
#include "SpxDoc.h"

namespace spx::test {
namespace {

const std::string kDriverHeader =
    "\x1b%-12345X@PJL JOB NAME=\"report\"\r\n"
    "@PJL ENTER LANGUAGE = POSTSCRIPT\r\n"
    "%!PS-Adobe-3.0\r\n"
    "%%Requirements: duplex\r\n"
    "%%EndComments\r\n";
const std::string kDriverBody = "%%BeginProlog\r\n%%EndProlog\r\nshowpage\r\n%%EOF\r\n";

class CupsSendTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!capture.load())
            GTEST_SKIP() << "no private spooler (run through ctest)";
        std::string error;
        ASSERT_TRUE(strings.loadFromFolder(SPX_RESOURCE_DIR "/strings", error)) << error;
    }

    void TearDown() override
    {
        if (capture.queue.empty())
            return;
        EXPECT_TRUE(folders.tempEntries().empty()) << "staging files left in the temporary folder";
        EXPECT_EQ(capture.unfinishedJobs(capture.queue), "") << "jobs left in the queue";
    }

    // Runs spxjob with this spooler and the test's temporary folder; exit status and output.
    int spxjob(const std::string& arguments, std::string& output, const std::string& server = {})
    {
        std::string command = "TMPDIR='" + folders.temp + "' CUPS_SERVER='" + (server.empty() ? capture.server : server) +
                              "' '" SPX_BIN_DIR "/spxjob' " + arguments + " 2>&1";
        output.clear();
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe)
            return -1;
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, n);
        int status = ::pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // spxjob on another spooler; the time it took.
    std::chrono::milliseconds timedSend(const std::string& arguments, std::string& output, int& status, const std::string& server)
    {
        auto started = std::chrono::steady_clock::now();
        status = spxjob(arguments, output, server);
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    }

    // Pauses a queue until the end of the scope.
    struct PausedQueue {
        const CaptureSpooler& spooler;
        std::string queue;
        PausedQueue(const CaptureSpooler& on, std::string name) : spooler(on), queue(std::move(name))
        {
            spooler.run("cupsdisable " + queue);
        }
        ~PausedQueue() { resume(); }
        void resume() { spooler.run("cupsenable " + queue); }
    };

    // Waits until the scheduler receives a document (it keeps an incoming request in a file of
    // its spool folder named by a number until the request ends).
    bool awaitIncomingDocument(std::chrono::seconds limit) const
    {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            std::error_code ignored;
            for (const auto& entry : std::filesystem::directory_iterator(capture.home + "/spool", ignored)) {
                std::string name = entry.path().filename().string();
                if (std::isdigit(static_cast<unsigned char>(name[0])) && entry.is_regular_file(ignored) &&
                    entry.file_size(ignored) > 0)
                    return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }

    static bool waitForChild(pid_t child, std::chrono::seconds limit, int& status)
    {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            if (::waitpid(child, &status, WNOHANG) == child)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        return false;
    }

    std::string sentLine(const std::string& path) { return formatText(strings.text(IdsFileSent), path); }
    std::string notSentLine(const std::string& path) { return formatText(strings.text(IdsFileNotSent), path); }

    CaptureSpooler capture;
    TestFolders folders;
    StringTable strings;
    CupsSpooler spooler;
    ScriptedDialogs dialogs;
    SimpleJob job;
    SendLoop loop{spooler, dialogs, strings, job};
};

// The job document and the job stream generator, as the window and spxjob send them, with the
// header a send of a file writes now, made apart from any send.
class DocumentJob : public DocumentSendJob {
public:
    DocumentJob(CSpxDoc& document, IDialogs& shown) : DocumentSendJob(document, shown), doc(document), dialogs(shown) {}
    std::string expectedHeader(const std::string& printFile, const std::string& scratch)
    {
        CJobStreamGenerator apart;
        ::unlink(scratch.c_str());
        EXPECT_EQ(apart.Generate(doc, printFile, scratch, effectiveFileLanguage(doc.GetPrinterLanguage(), doc.GetFileLanguage()),
                                 locks(), &dialogs, userFullName()), GeneratorResult::Ok);
        std::string header = readFile(scratch);
        ::unlink(scratch.c_str());
        return header;
    }

    CSpxDoc& doc;
    IDialogs& dialogs;
};

class CupsDocumentSendTest : public CupsSendTest {
protected:
    void SetUp() override
    {
        CupsSendTest::SetUp();
        if (IsSkipped())
            return;
        std::string error;
        ASSERT_TRUE(config.load(SPX_BIN_DIR, error)) << error;
        doc = std::make_unique<CSpxDoc>(config, dialogs);
        ASSERT_TRUE(doc->OnNewDocument());
        job = std::make_unique<DocumentJob>(*doc, dialogs);
        sender = std::make_unique<SendLoop>(spooler, dialogs, config.strings, *job);
    }
    std::string scratch() const { return folders.files + "/expected.hdr"; }

    Configuration config;
    std::unique_ptr<CSpxDoc> doc;
    std::unique_ptr<DocumentJob> job;
    std::unique_ptr<SendLoop> sender;
};

TEST_F(CupsDocumentSendTest, EverySettingsModeWithTheJobsHeader)
{
    doc->SetCustomText("%%JobNote: sent by the tests\n");
    const std::string driverFile = kDriverHeader + kDriverBody;
    for (int mode = 0; mode <= 2; ++mode) {
        doc->SetSettingsMode(mode);
        std::string path = folders.file("mode" + std::to_string(mode) + ".ps", driverFile);
        std::string header = job->expectedHeader(path, scratch());
        if (mode == kSettingsModeNoHeader)
            EXPECT_EQ(header, "");
        else
            EXPECT_NE(header, "") << mode;
        CaptureWatch watch(capture);
        ASSERT_EQ(sender->SendJob(capture.queue, mode, {path}).sentCount(), 1u) << mode;
        auto received = watch.wait(1);
        ASSERT_EQ(received.size(), 1u) << mode;
        // With a header the driver's own job header goes; without one the file is sent as it is.
        EXPECT_EQ(received[0], header + (mode == kSettingsModeNoHeader ? driverFile : kDriverBody)) << mode;
    }
}

TEST_F(CupsDocumentSendTest, PrinterLanguageSwitchedBetweenTwoFilesOfOneSend)
{
    std::string first = folders.file("first.ps", "%!PS\nshowpage\n");
    std::string second = folders.file("second.pcl", "\x1b" "E\x1b&l0O text\x0c\x1b" "E");
    std::string firstHeader = job->expectedHeader(first, scratch());
    doc->SetPrinterLanguage(1);
    doc->SetFileLanguage(1);
    std::string secondHeader = job->expectedHeader(second, scratch());
    doc->SetPrinterLanguage(0);
    doc->SetFileLanguage(0);
    ASSERT_NE(firstHeader, secondHeader);
    EXPECT_EQ(secondHeader.rfind("\x1b%-12345X@PJL", 0), 0u) << secondHeader.substr(0, 40);

    job->beforeEachFile = [&](int call) {
        if (call == 1) {
            doc->SetPrinterLanguage(1);   // the operator switched the model after the first file
            doc->SetFileLanguage(1);
        }
    };
    CaptureWatch watch(capture);
    ASSERT_EQ(sender->SendJob(capture.queue, 0, {first, second}).sentCount(), 2u);
    auto received = watch.wait(2);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0], firstHeader + "%!PS\nshowpage\n");
    EXPECT_EQ(received[1], secondHeader + "\x1b" "E\x1b&l0O text\x0c\x1b" "E");
}

TEST_F(CupsDocumentSendTest, TemporaryFolderThatTakesNoFilesStopsTheSendWithTheHeaderMessage)
{
    // Even the superuser cannot make a file in /proc, so this holds whoever runs the tests.
    ::setenv("TMPDIR", "/proc", 1);
    std::string first = folders.file("first.ps", "%!PS\nshowpage\n");
    std::string second = folders.file("second.ps", "%!PS\nshowpage\n");
    CaptureWatch watch(capture);
    SendOutcome outcome = sender->SendJob(capture.queue, 0, {first, second});
    ::setenv("TMPDIR", folders.temp.c_str(), 1);
    EXPECT_TRUE(outcome.headerFailed);
    EXPECT_EQ(outcome.sentCount(), 0u);
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_EQ(dialogs.shown.back().text, config.strings.text(IdsHeaderFailed));
    EXPECT_EQ(watch.countAfterQuietPeriod(), 0u);
}

TEST_F(CupsSendTest, CtrlDAndLineBreaksBeforeTheDriversHeader)
{
    std::string ctrlD = folders.file("ctrld.ps", "\x04%!PS\nshowpage\n");
    std::string breaks = folders.file("breaks.ps", "\r\n\r\n" + kDriverHeader + kDriverBody);
    std::string plain = folders.file("plain.ps", kDriverHeader + kDriverBody);
    CaptureWatch watch(capture);
    SendOutcome outcome = loop.SendJob(capture.queue, 0, {ctrlD, breaks, plain});
    ASSERT_EQ(outcome.sentCount(), 3u);
    auto received = watch.wait(3);
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0], SimpleJob::headerFor(ctrlD, 0, 0) + "%!PS\nshowpage\n");
    EXPECT_EQ(received[1], SimpleJob::headerFor(breaks, 0, 0) + kDriverBody);
    EXPECT_EQ(received[2], SimpleJob::headerFor(plain, 0, 0) + kDriverBody);
}

TEST_F(CupsSendTest, MiddleFileMissingAndNotLocated)
{
    std::string first = folders.file("first.prn", "first\n");
    std::string third = folders.file("third.prn", "third\n");
    dialogs.setNextFileDialogCancelled();
    CaptureWatch watch(capture);
    SendOutcome outcome = loop.SendJob(capture.queue, 0, {first, folders.files + "/second.prn", third});
    EXPECT_EQ(outcome.sentCount(), 2u);
    auto received = watch.wait(2);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0], SimpleJob::headerFor(first, 0, 0) + "first\n");
    EXPECT_EQ(received[1], SimpleJob::headerFor(third, 0, 0) + "third\n");
    EXPECT_EQ(dialogs.statusTexts, (std::vector<std::string>{sentLine(first), sentLine(third)}));
    EXPECT_EQ(watch.countAfterQuietPeriod(), 2u);
}

TEST_F(CupsSendTest, BinaryDataOfEveryByteValueAcrossManyBlocks)
{
    // Every byte value, odd lengths, block boundaries inside, a 0x04 at the start.
    std::string body = "\x04" + everyByte(1500) + std::string(3, '\0') + "\x04\r\n\x1a";
    std::string path = folders.file("binary.bin", body);
    job.settingsMode = kSettingsModeNoHeader;
    CaptureWatch watch(capture);
    ASSERT_EQ(loop.SendJob(capture.queue, kSettingsModeNoHeader, {path}).sentCount(), 1u);
    auto received = watch.wait(1);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_TRUE(received[0] == body.substr(1)) << "capture differs from the file without its first 0x04";
}

TEST_F(CupsSendTest, UnknownQueueSaysSoAndSendsNothing)
{
    CaptureWatch watch(capture);
    SendOutcome outcome = loop.SendJob("no-such-queue", 0, {folders.file("a.prn", "a")});
    EXPECT_FALSE(outcome.queueOpened);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, strings.text(IdsSpoolerError) + "\n\nThe printer or class does not exist.");
    EXPECT_EQ(watch.countAfterQuietPeriod(std::chrono::milliseconds(50)), 0u);
}

TEST_F(CupsSendTest, EmptyFileWithoutHeaderIsRefusedAndLeavesNoHeldJob)
{
    job.settingsMode = kSettingsModeNoHeader;
    std::string empty = folders.file("empty.prn", "");
    std::string next = folders.file("next.prn", "next");
    CaptureWatch watch(capture);
    SendOutcome outcome = loop.SendJob(capture.queue, kSettingsModeNoHeader, {empty, next});
    ASSERT_EQ(outcome.files.size(), 2u);
    EXPECT_EQ(outcome.files[0].state, SendFileResult::State::NotSent);
    EXPECT_EQ(outcome.files[1].state, SendFileResult::State::Sent);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, strings.text(IdsSpoolerError) + "\n\nNo file in print request.");
    auto received = watch.wait(1);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], "next");
}

TEST_F(CupsSendTest, FileVanishingBeforeTheCopyCancelsItsJobAndTheNextGoes)
{
    std::string vanishing = folders.file("vanishing.prn", "gone soon");
    std::string next = folders.file("next.prn", "next");
    job.beforeFile = [&](int call) {
        if (call == 0)
            ::unlink(vanishing.c_str());   // after the existence check, before the copy
    };
    CaptureWatch watch(capture);
    SendOutcome outcome = loop.SendJob(capture.queue, 0, {vanishing, next});
    EXPECT_EQ(outcome.files[0].state, SendFileResult::State::NotSent);
    EXPECT_EQ(dialogs.statusTexts, (std::vector<std::string>{notSentLine(vanishing), sentLine(next)}));
    auto received = watch.wait(1);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], SimpleJob::headerFor(next, 0, 0) + "next");
    EXPECT_EQ(watch.countAfterQuietPeriod(), 1u);
}

TEST_F(CupsSendTest, DeviceRefusingTheConnectionIsSentThenReportedAborted)
{
    // A bound socket that does not listen refuses every connection.
    int refusing = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(refusing, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    ::getsockname(refusing, reinterpret_cast<sockaddr*>(&address), &length);
    std::string queue = "refusing";
    capture.run("lpadmin -p " + queue + " -E -v 'socket://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) +
                "/?contimeout=1'");

    // The spooler took the file: it was sent. Waiting for the end tells what became of it.
    std::string path = folders.file("refused.prn", "refused");
    loop.finalStateWait = std::chrono::seconds(60);
    SendOutcome outcome = loop.SendJob(queue, 0, {path});
    EXPECT_EQ(outcome.sentCount(), 1u);
    ASSERT_EQ(outcome.files.size(), 1u);
    EXPECT_EQ(outcome.files[0].job.kind, SpoolerJobState::Kind::Aborted);
    EXPECT_NE(outcome.files[0].job.reason, "");
    EXPECT_EQ(outcome.endedUnprintedCount(), 1u);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(dialogs.statusTexts,
              (std::vector<std::string>{sentLine(path),
                                        formatText(strings.text(IdsJobAborted), {path, outcome.files[0].job.reason})}));
    EXPECT_EQ(capture.unfinishedJobs(queue), "");
    capture.run("lpadmin -x " + queue);
    ::close(refusing);
}

TEST_F(CupsSendTest, PausedQueueAndSchedulerWithoutHistoryEveryFileSentAtOnce)
{
    CaptureSpooler forgetful;
    ASSERT_TRUE(forgetful.load("capture-nohistory")) << "the second spooler of the fixture";
    std::string output;
    std::string jobFile = folders.files + "/raw.spx";
    ASSERT_EQ(spxjob("new -o '" + jobFile + "' settingsMode=2", output), 0) << output;
    std::vector<std::string> paths{folders.file("a.prn", "alpha"), folders.file("b.prn", "beta"), folders.file("c.prn", "gamma")};
    std::string files = " '" + paths[0] + "' '" + paths[1] + "' '" + paths[2] + "'";
    std::string expected = sentLine(paths[0]) + "\n" + sentLine(paths[1]) + "\n" + sentLine(paths[2]) + "\n";
    std::string send = "send --queue " + forgetful.queue + " --job '" + jobFile + "'";

    // Paused: the jobs wait at the spooler, the send does not.
    PausedQueue pause(forgetful, forgetful.queue);
    CaptureWatch watch(forgetful);
    int status = -1;
    auto paused = timedSend(send + files, output, status, forgetful.server);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(output, expected);
    // A send that waited for the printer took at least a minute per file before.
    EXPECT_LT(paused, std::chrono::seconds(20)) << "the send waited on the paused queue";
    std::fprintf(stderr, "[ figures ] 3 files to a paused queue: %lld ms\n", static_cast<long long>(paused.count()));
    pause.resume();
    auto received = watch.wait(3);
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0], "alpha");
    EXPECT_EQ(received[2], "gamma");
    EXPECT_TRUE(forgetful.awaitNoUnfinishedJobs(forgetful.queue));

    // Printed and then forgotten: sent all the same, and with --wait the end is told as the
    // spooler knows it.
    auto waited = timedSend(send + " --wait 30" + files, output, status, forgetful.server);
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output.rfind(expected, 0), 0u) << output;
    EXPECT_EQ(output.find(strings.text(IdsFileNotSent).substr(0, 8)), std::string::npos) << output;
    for (const std::string& path : paths) {
        bool told = output.find(formatText(strings.text(IdsJobCompleted), path) + "\n") != std::string::npos ||
                    output.find(formatText(strings.text(IdsJobStateUnknown), path) + "\n") != std::string::npos;
        EXPECT_TRUE(told) << path << "\n" << output;
    }
    std::fprintf(stderr, "[ figures ] 3 files with --wait to a scheduler without history: %lld ms\n",
                 static_cast<long long>(waited.count()));
    EXPECT_EQ(watch.wait(6).size(), 6u);
}

TEST_F(CupsSendTest, SchedulerRestartedUnderTheSendLosesNoFile)
{
    // The first file waits in the paused queue while the scheduler restarts; the second goes to
    // the new scheduler; both print once the queue goes on, and their end is learned.
    PausedQueue pause(capture, capture.queue);
    std::string first = folders.file("first.prn", "first");
    std::string second = folders.file("second.prn", "second");
    job.beforeFile = [&](int call) {
        if (call == 1) {
            EXPECT_TRUE(capture.script("restart"));
        }
    };
    CaptureWatch watch(capture);
    SendOutcome outcome = loop.SendJob(capture.queue, 0, {first, second});
    EXPECT_EQ(outcome.sentCount(), 2u);
    EXPECT_EQ(dialogs.statusTexts, (std::vector<std::string>{sentLine(first), sentLine(second)}));
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown[0].text;

    EXPECT_TRUE(capture.script("restart"));
    pause.resume();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (loop.followJobs() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    auto received = watch.wait(2);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0], SimpleJob::headerFor(first, 0, 0) + "first");
    EXPECT_EQ(received[1], SimpleJob::headerFor(second, 0, 0) + "second");
    EXPECT_EQ(dialogs.statusTexts.size(), 2u) << "no job ended without printing";
}

TEST_F(CupsSendTest, SchedulerGoneInTheMiddleOfASendSaysSo)
{
    std::string first = folders.file("first.prn", "first");
    std::string second = folders.file("second.prn", "second");
    std::string third = folders.file("third.prn", "third");
    job.beforeFile = [&](int call) {
        if (call == 1) {
            EXPECT_TRUE(capture.script("stop-scheduler"));
        }
    };
    SendOutcome outcome = loop.SendJob(capture.queue, 0, {first, second, third});
    EXPECT_TRUE(capture.script("start-scheduler"));
    EXPECT_EQ(outcome.sentCount(), 1u);
    EXPECT_EQ(dialogs.statusTexts, (std::vector<std::string>{sentLine(first), notSentLine(second), notSentLine(third)}));
    ASSERT_EQ(dialogs.shown.size(), 2u);
    for (const auto& shown : dialogs.shown) {
        EXPECT_EQ(shown.text.rfind(strings.text(IdsSpoolerError) + "\n\nHost is down", 0), 0u) << shown.text;
        EXPECT_EQ(shown.text.find("No such file"), std::string::npos) << shown.text;
    }
    EXPECT_TRUE(capture.awaitNoUnfinishedJobs(capture.queue));
}

// spxjob sending a large file, broken off by signals while the scheduler holds the upload.
TEST_F(CupsSendTest, SignalsDuringAnUploadCancelItAndLeaveNothingBehind)
{
    std::string output;
    std::string jobFile = folders.files + "/raw.spx";
    ASSERT_EQ(spxjob("new -o '" + jobFile + "' settingsMode=2", output), 0) << output;
    // A sparse file costs no disk to read and takes the scheduler a while to spool.
    std::string big = folders.files + "/big.prn";
    writeFile(big, "x");
    ASSERT_EQ(::truncate(big.c_str(), off_t(1) << 30), 0);
    std::string next = folders.file("next.prn", "next");
    struct Case { const char* what; std::vector<int> signals; };
    for (const Case& c : {Case{"Ctrl+C twice", {SIGINT, SIGINT}}, Case{"SIGTERM", {SIGTERM}}, Case{"SIGHUP", {SIGHUP}}}) {
        std::string log = folders.root + "/spxjob.out";
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::setenv("TMPDIR", folders.temp.c_str(), 1);
            ::setenv("CUPS_SERVER", capture.server.c_str(), 1);
            int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(fd, 1), ::dup2(fd, 2);
            ::execl(SPX_BIN_DIR "/spxjob", "spxjob", "send", "--queue", capture.queue.c_str(), "--job", jobFile.c_str(),
                    big.c_str(), next.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // Once the document comes in, the scheduler stops reading: the upload stands still.
        bool uploading = awaitIncomingDocument(std::chrono::seconds(20));
        pid_t scheduler = capture.schedulerPid();
        ::kill(scheduler, SIGSTOP);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        for (int signal : c.signals) {
            ::kill(child, signal);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ::kill(scheduler, SIGCONT);
        int status = 0;
        bool ended = waitForChild(child, std::chrono::seconds(60), status);
        output = readFile(log);
        EXPECT_TRUE(uploading) << c.what;
        ASSERT_TRUE(ended) << c.what << ": spxjob did not end";
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signals[0]) << c.what << " status " << status;
        EXPECT_EQ(output, notSentLine(big) + "\n" + notSentLine(next) + "\n") << c.what;
        EXPECT_TRUE(folders.tempEntries().empty()) << c.what << ": staging folder left";
        EXPECT_TRUE(capture.awaitNoUnfinishedJobs(capture.queue, std::chrono::seconds(10))) << c.what << ": job left";
    }
}

TEST_F(CupsSendTest, SpxjobSendPrintsOneLinePerFileAndFailsWhenOneWasNotSent)
{
    std::string output;
    std::string jobFile = folders.files + "/raw.spx";
    ASSERT_EQ(spxjob("new -o '" + jobFile + "' settingsMode=2", output), 0) << output;
    std::string a = folders.file("a.prn", "alpha");
    std::string b = folders.file("b.prn", "\x04" "beta");
    std::string missing = folders.files + "/missing.prn";

    CaptureWatch watch(capture);
    EXPECT_EQ(spxjob("send --queue " + capture.queue + " --job '" + jobFile + "' '" + a + "' '" + b + "'", output), 0);
    EXPECT_EQ(output, sentLine(a) + "\n" + sentLine(b) + "\n");
    auto received = watch.wait(2);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0], "alpha");
    EXPECT_EQ(received[1], "beta");

    EXPECT_EQ(spxjob("send --queue " + capture.queue + " --job '" + jobFile + "' '" + missing + "' '" + a + "'", output), 1);
    EXPECT_EQ(output, notSentLine(missing) + "\n" + sentLine(a) + "\n");

    EXPECT_EQ(spxjob("send --job '" + jobFile + "' '" + a + "'", output), 2) << "the queue is required";
}

TEST_F(CupsSendTest, SpxjobWithoutScheduler)
{
    std::string output;
    std::string jobFile = folders.files + "/raw.spx";
    ASSERT_EQ(spxjob("new -o '" + jobFile + "' settingsMode=2", output), 0) << output;
    std::string a = folders.file("a.prn", "alpha");
    std::string nowhere = capture.home + "/no-scheduler.sock";
    EXPECT_EQ(spxjob("send --queue " + capture.queue + " --job '" + jobFile + "' '" + a + "'", output, nowhere), 1);
    EXPECT_NE(output.find(strings.text(IdsSpoolerError) + "\n\nHost is down"), std::string::npos) << output;
    EXPECT_EQ(spxjob("queues", output, nowhere), 1);
    EXPECT_NE(output.find("Host is down"), std::string::npos) << output;
}

TEST_F(CupsSendTest, SpxjobQueuesListsTheCapturePrinter)
{
    std::string output;
    ASSERT_EQ(spxjob("queues", output), 0) << output;
    EXPECT_NE(output.find(capture.queue), std::string::npos) << output;
    EXPECT_NE(output.find("socket://127.0.0.1:" + std::to_string(capture.capturePort) + "/?contimeout=5"), std::string::npos)
        << output;
}

TEST(CupsSpoolerTimeout, SchedulerThatNeverAnswersEndsTheRequestInTime)
{
    // A loopback socket that listens but never accepts: the connection is made, the request
    // goes out, and no answer ever comes.
    int silent = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(silent, 4), 0);
    socklen_t length = sizeof address;
    ::getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length);
    std::string server = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));

    struct Result { bool opened, listed; std::string error; std::chrono::milliseconds openTook, listTook; };
    // libcups keeps its server per thread: the spooler lives in the thread that asks.
    auto attempt = std::async(std::launch::async, [&] {
        cupsSetServer(server.c_str());
        CupsSpooler spooler;
        spooler.setReplyTimeout(300);
        Result result{};
        auto started = std::chrono::steady_clock::now();
        result.opened = spooler.openQueue("capture");
        result.error = spooler.lastErrorText();
        auto opened = std::chrono::steady_clock::now();
        std::vector<SpoolerQueue> queues;
        result.listed = spooler.listQueues(queues);
        auto listed = std::chrono::steady_clock::now();
        result.openTook = std::chrono::duration_cast<std::chrono::milliseconds>(opened - started);
        result.listTook = std::chrono::duration_cast<std::chrono::milliseconds>(listed - opened);
        return result;
    });
    if (attempt.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        std::fprintf(stderr, "the spooler still waits for a scheduler that never answers\n");
        std::_Exit(1);
    }
    Result result = attempt.get();
    EXPECT_FALSE(result.opened);
    EXPECT_FALSE(result.listed);
    EXPECT_NE(result.error, "");
    EXPECT_NE(result.error, "Success") << "the error box would say nothing";
    EXPECT_LT(result.openTook, std::chrono::seconds(5));
    EXPECT_LT(result.listTook, std::chrono::seconds(5));
    ::close(silent);
}

} // namespace
} // namespace spx::test
