// The whole path: send loop, CUPS spooler, a private cupsd, the socket backend and a printer
// that keeps what it receives. Every document is compared byte for byte with header + file, and
// no test leaves a staging file in the temporary folder or a job in a queue.

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/wait.h>
#include <netinet/in.h>

#include <cups/cups.h>

#include <cstdio>
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

TEST_F(CupsSendTest, DeviceRefusingTheConnectionEndsAbortedNotSent)
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

    std::string path = folders.file("refused.prn", "refused");
    SendOutcome outcome = loop.SendJob(queue, 0, {path});
    EXPECT_EQ(outcome.sentCount(), 0u);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text.rfind(strings.text(IdsSpoolerError) + "\n\n", 0), 0u);
    EXPECT_GT(dialogs.shown[0].text.size(), strings.text(IdsSpoolerError).size() + 2);
    EXPECT_EQ(dialogs.statusTexts, std::vector<std::string>{notSentLine(path)});
    EXPECT_EQ(capture.unfinishedJobs(queue), "");
    capture.run("lpadmin -x " + queue);
    ::close(refusing);
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
