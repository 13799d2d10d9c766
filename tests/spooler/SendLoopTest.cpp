// The send loop over a spooler kept in memory: what each document holds, which messages appear,
// which files go after a failure, and that no staging file or copy is left behind.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <thread>

#include "FakeSpooler.h"
#include "SendTestSupport.h"

namespace spx::test {
namespace {

using State = SendFileResult::State;

// A PostScript file wrapped in PJL, as a printer driver writes it.
const std::string kDriverHeader =
    "\x1b%-12345X@PJL JOB NAME=\"report\"\r\n"
    "@PJL SET DUPLEX = ON\r\n"
    "@PJL ENTER LANGUAGE = POSTSCRIPT\r\n"
    "%!PS-Adobe-3.0\r\n"
    "%%Title: report\r\n"
    "%%Requirements: duplex staple\r\n"
    "%%EndComments\r\n";
const std::string kDriverBody = "%%BeginProlog\r\n/inch {72 mul} def\r\n%%EndProlog\r\nshowpage\r\n%%EOF\r\n";

class SendLoopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(strings.loadFromFolder(SPX_RESOURCE_DIR "/strings", error)) << error;
    }

    std::string statusFor(int id, const std::string& path) { return formatText(strings.text(id), path); }

    TestFolders folders;
    StringTable strings;
    FakeSpooler spooler;
    ScriptedDialogs dialogs;
    SimpleJob job;
    SendLoop loop{spooler, dialogs, strings, job};
};

TEST_F(SendLoopTest, DocumentIsHeaderThenFileNamedAfterTheFile)
{
    std::string body = everyByte(3);
    std::string path = folders.file("plain.prn", body);
    SendOutcome outcome = loop.SendJob("capture", 0, {path});

    ASSERT_EQ(spooler.finished().size(), 1u);
    const auto& document = *spooler.finished()[0];
    EXPECT_EQ(document.name, "plain.prn");
    EXPECT_EQ(document.data, SimpleJob::headerFor(path, 0, 0) + body);
    EXPECT_EQ(outcome.sentCount(), 1u);
    EXPECT_EQ(dialogs.statusTexts, std::vector<std::string>{statusFor(IdsFileSent, path)});
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(spooler.openCount, 1);
    EXPECT_EQ(spooler.closeCount, 1);
    EXPECT_FALSE(loop.isSending());
    EXPECT_TRUE(folders.tempEntries().empty());
}

TEST_F(SendLoopTest, BlockMultipleEndsWithAnEmptyWriteAndLosesNothing)
{
    std::string body(SendLoop::kBlockSize * 2, 'x');
    body[0] = '\x04';
    body[SendLoop::kBlockSize] = '\x04';   // only the file's first byte is dropped, not a block's
    body.back() = 'z';
    std::string path = folders.file("blocks.prn", body);
    loop.SendJob("capture", kSettingsModeNoHeader, {path});
    ASSERT_EQ(spooler.finished().size(), 1u);
    const auto& document = *spooler.finished()[0];
    EXPECT_EQ(document.data, body.substr(1));
    EXPECT_EQ(document.writes, (std::vector<std::size_t>{SendLoop::kBlockSize - 1, SendLoop::kBlockSize, 0}));
}

TEST_F(SendLoopTest, SettingsModeTwoSendsTheFileUnchangedAndUnstripped)
{
    job.settingsMode = kSettingsModeNoHeader;
    std::string path = folders.file("driver.ps", kDriverHeader + kDriverBody);
    loop.SendJob("capture", kSettingsModeNoHeader, {path});
    ASSERT_EQ(spooler.finished().size(), 1u);
    EXPECT_EQ(spooler.finished()[0]->data, kDriverHeader + kDriverBody);
    EXPECT_TRUE(folders.tempEntries().empty());
}

TEST_F(SendLoopTest, StripRules)
{
    struct Case { const char* what; std::string file; std::string expected; };
    const std::string bigBody(3 * SendLoop::kBlockSize + 17, 'q');
    const std::vector<Case> cases = {
        {"no PJL wrapper: unchanged", "%!PS-Adobe-3.0\n%%EndComments\nbody\n", "%!PS-Adobe-3.0\n%%EndComments\nbody\n"},
        {"no language switch: unchanged", "\x1b%-12345X@PJL JOB\n@PJL SET QTY = 2\nbody", "\x1b%-12345X@PJL JOB\n@PJL SET QTY = 2\nbody"},
        {"only the language switch", "\x1b%-12345X@PJL ENTER LANGUAGE = POSTSCRIPT\nbody", "body"},
        {"first line but no comment end", "\x1b%-12345X@PJL ENTER LANGUAGE = POSTSCRIPT\n%!PS-Adobe-3.0\n\n  body", "body"},
        {"comment end without first line", "\x1b%-12345X@PJL ENTER LANGUAGE = POSTSCRIPT\n%!PS-Adobe-2.0\n%%EndComments\nbody", "body"},
        {"later blocks whole", "\x1b%-12345X@PJL ENTER LANGUAGE = POSTSCRIPT\n" + bigBody, bigBody},
        {"marker at the very end of the block",
         std::string(SendLoop::kBlockSize - 41, ' ') + "\x1b%-12345X@PJL ENTER LANGUAGE = POSTSCRIPT", ""},
    };
    for (const auto& c : cases) {
        std::string path = folders.file("strip.ps", c.file);
        std::string toSend = path;
        bool stripped = loop.StripFileHeader(path, toSend);
        EXPECT_EQ(stripped, toSend != path) << c.what;
        EXPECT_EQ(readFile(toSend), c.expected) << c.what;
        if (stripped)
            ::unlink(toSend.c_str());
    }
    // A header that starts in the second block is not looked for.
    std::string late = std::string(SendLoop::kBlockSize, '\n') + kDriverHeader;
    std::string path = folders.file("late.ps", late);
    std::string toSend = path;
    EXPECT_FALSE(loop.StripFileHeader(path, toSend));
    EXPECT_EQ(toSend, path);
}

TEST_F(SendLoopTest, EmptyListAsksForFilesAndOpensNoQueue)
{
    SendOutcome outcome = loop.SendJob("capture", 0, {});
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, strings.text(IdsNoPrintFiles));
    EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(spooler.openCount, 0);
    EXPECT_FALSE(outcome.queueOpened);
}

TEST_F(SendLoopTest, UnknownQueueShowsTheSpoolersText)
{
    std::string path = folders.file("a.prn", "a");
    SendOutcome outcome = loop.SendJob("nowhere", 0, {path});
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, strings.text(IdsSpoolerError) + "\n\nThe printer or class does not exist.");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Stop);
    EXPECT_TRUE(spooler.documents.empty());
    EXPECT_TRUE(outcome.files.empty());
    EXPECT_TRUE(folders.tempEntries().empty());
}

TEST_F(SendLoopTest, MissingMiddleFileWithCancelledDialogSendsFirstAndThird)
{
    std::string first = folders.file("1.prn", "one");
    std::string missing = folders.files + "/2.prn";
    std::string third = folders.file("3.prn", "three");
    dialogs.setNextFileDialogCancelled();
    SendOutcome outcome = loop.SendJob("capture", 0, {first, missing, third});

    ASSERT_EQ(spooler.finished().size(), 2u);
    EXPECT_EQ(spooler.finished()[0]->name, "1.prn");
    EXPECT_EQ(spooler.finished()[1]->name, "3.prn");
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].initialName, missing);
    EXPECT_EQ(dialogs.fileRequests[0].title, formatText(strings.text(IdsLocateFileTitle), missing));
    EXPECT_EQ(dialogs.fileRequests[0].filter, strings.text(IdsPrintFileFilter));
    // A skipped file gets no report.
    EXPECT_EQ(dialogs.statusTexts, (std::vector<std::string>{statusFor(IdsFileSent, first), statusFor(IdsFileSent, third)}));
    ASSERT_EQ(outcome.files.size(), 3u);
    EXPECT_EQ(outcome.files[1].state, State::Skipped);
    EXPECT_EQ(job.calls.size(), 2u);
}

TEST_F(SendLoopTest, LocatedFileIsSentInPlaceOfTheMissingOne)
{
    std::string elsewhere = folders.file("moved.prn", "moved");
    std::string missing = folders.files + "/gone.prn";
    dialogs.setNextFileName(elsewhere);
    SendOutcome outcome = loop.SendJob("capture", 0, {missing});
    ASSERT_EQ(spooler.finished().size(), 1u);
    EXPECT_EQ(spooler.finished()[0]->data, SimpleJob::headerFor(elsewhere, 0, 0) + "moved");
    EXPECT_EQ(outcome.files[0].listedPath, missing);
    EXPECT_EQ(outcome.files[0].sentPath, elsewhere);
}

// The operator presses Escape while the locate dialog is open: nothing more is sent.
class CancellingDialogs : public ScriptedDialogs {
public:
    SendLoop* loop = nullptr;
    FileDialogResult openFileName(const FileDialogRequest& request) override
    {
        loop->cancel();
        return ScriptedDialogs::openFileName(request);
    }
};

TEST_F(SendLoopTest, CancelDuringTheLocateDialogStopsBeforeTheNextFile)
{
    CancellingDialogs cancelling;
    SendLoop cancellable(spooler, cancelling, strings, job);
    cancelling.loop = &cancellable;
    cancelling.setNextFileName(folders.file("found.prn", "x"));
    std::string first = folders.file("1.prn", "one");
    SendOutcome outcome = cancellable.SendJob("capture", 0, {first, folders.files + "/missing.prn", folders.file("3.prn", "3")});
    EXPECT_EQ(spooler.finished().size(), 1u);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_FALSE(cancellable.isSending());
    EXPECT_EQ(spooler.closeCount, 1);
}

TEST_F(SendLoopTest, CancelWhileSpoolingFinishesTheFileAndStops)
{
    job.beforeFile = [&](int call) {
        if (call == 1)
            loop.cancel();   // clears the flag while file 2 is on its way
    };
    SendOutcome outcome = loop.SendJob("capture", 0, {folders.file("1", "1"), folders.file("2", "2"), folders.file("3", "3")});
    EXPECT_EQ(spooler.finished().size(), 2u);
    EXPECT_TRUE(outcome.cancelled);
}

TEST_F(SendLoopTest, GeneratorFailureShowsMessageStopsAndLeavesNoStagingFile)
{
    job.failAtCall = 1;
    job.failResult = 3;
    SendOutcome outcome = loop.SendJob("capture", 0, {folders.file("1", "1"), folders.file("2", "2"), folders.file("3", "3")});
    EXPECT_EQ(spooler.finished().size(), 1u);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, strings.text(IdsHeaderFailed));
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Stop);
    EXPECT_EQ(job.refreshCount, 1);
    EXPECT_TRUE(outcome.headerFailed);
    EXPECT_FALSE(loop.isSending());
    EXPECT_EQ(spooler.documents.size(), 1u);   // the failing file never reached the spooler
    EXPECT_TRUE(folders.tempEntries().empty());
}

TEST_F(SendLoopTest, NoStagingFileMeansTheFileIsNotSent)
{
    job.writeNothing = true;
    std::string path = folders.file("1", "1");
    SendOutcome outcome = loop.SendJob("capture", 0, {path, folders.file("2", "2")});
    EXPECT_TRUE(spooler.finished().empty());
    ASSERT_EQ(spooler.documents.size(), 2u);
    EXPECT_EQ(spooler.documents[0].state, FakeSpooler::Document::State::Cancelled);
    EXPECT_EQ(dialogs.statusTexts[0], statusFor(IdsFileNotSent, path));
    EXPECT_TRUE(dialogs.shown.empty());   // nothing the spooler could explain
    EXPECT_EQ(outcome.sentCount(), 0u);
}

TEST_F(SendLoopTest, SpoolerFailuresCancelTheDocumentAndTheNextFileStillGoes)
{
    for (int failing = 0; failing < 3; ++failing) {
        FakeSpooler faulty;
        ScriptedDialogs shownDialogs;
        SimpleJob simpleJob;
        SendLoop sender(faulty, shownDialogs, strings, simpleJob);
        if (failing == 0)
            faulty.failStartOf = 0;
        else if (failing == 1)
            faulty.failWriteOf = 0, faulty.failWriteAfter = 10;
        else
            faulty.failFinishOf = 0;
        std::string bad = folders.file("bad.prn", std::string(5000, 'b'));
        std::string good = folders.file("good.prn", "good");
        SendOutcome outcome = sender.SendJob("capture", 0, {bad, good});
        ASSERT_EQ(faulty.documents.size(), 2u) << failing;
        EXPECT_EQ(faulty.documents[0].state, FakeSpooler::Document::State::Cancelled) << failing;
        EXPECT_EQ(faulty.documents[1].state, FakeSpooler::Document::State::Finished) << failing;
        ASSERT_EQ(shownDialogs.shown.size(), 1u) << failing;
        EXPECT_EQ(shownDialogs.shown[0].text, strings.text(IdsSpoolerError) + "\n\n" + faulty.failureText);
        EXPECT_EQ(shownDialogs.statusTexts,
                  (std::vector<std::string>{statusFor(IdsFileNotSent, bad), statusFor(IdsFileSent, good)}));
        EXPECT_EQ(outcome.sentCount(), 1u);
        EXPECT_TRUE(folders.tempEntries().empty()) << failing;
    }
}

// Status lines, message boxes and file dialogs in the order the operator sees them.
class OrderedDialogs : public ScriptedDialogs {
public:
    MessageAnswer messageBox(const std::string& text, MessageIcon icon, MessageButtons buttons,
                             const std::string& caption = {}) override
    {
        seen.push_back("box " + text);
        return ScriptedDialogs::messageBox(text, icon, buttons, caption);
    }
    FileDialogResult openFileName(const FileDialogRequest& request) override
    {
        seen.push_back("locate " + request.initialName);
        return ScriptedDialogs::openFileName(request);
    }
    void statusText(const std::string& text) override
    {
        seen.push_back(text);
        ScriptedDialogs::statusText(text);
    }
    std::vector<std::string> seen;
};

TEST_F(SendLoopTest, JobAbortedAfterItsUploadWasSentAndItsEndIsReportedLater)
{
    spooler.abortAfterUploadOf = 1;
    std::string first = folders.file("1.prn", "one");
    std::string second = folders.file("2.prn", "two");
    std::string third = folders.file("3.prn", "three");
    SendOutcome outcome = loop.SendJob("capture", 0, {first, second, third});

    // Each file is reported as soon as the spooler holds it; the abort comes on a line of its own.
    EXPECT_EQ(dialogs.statusTexts,
              (std::vector<std::string>{statusFor(IdsFileSent, first), statusFor(IdsFileSent, second),
                                        statusFor(IdsFileSent, third),
                                        formatText(strings.text(IdsJobAborted), {second, spooler.abortText})}));
    EXPECT_TRUE(dialogs.shown.empty());
    ASSERT_EQ(outcome.files.size(), 3u);
    EXPECT_EQ(outcome.sentCount(), 3u);
    EXPECT_EQ(outcome.files[1].job.kind, SpoolerJobState::Kind::Aborted);
    EXPECT_EQ(outcome.files[1].job.reason, spooler.abortText);
    EXPECT_EQ(outcome.endedUnprintedCount(), 1u);
    EXPECT_EQ(spooler.misplacedQuestions, 0);
    EXPECT_TRUE(folders.tempEntries().empty());
}

TEST_F(SendLoopTest, PausedQueueOrSpoolerWithoutHistoryNeverMakesAFileNotSent)
{
    std::string first = folders.file("1.prn", "one");
    std::string second = folders.file("2.prn", "two");
    for (bool paused : {true, false}) {
        for (int waitMs : {0, 150}) {
            FakeSpooler fake;
            fake.queuePaused = paused;
            fake.forgetFinishedJobs = !paused;
            ScriptedDialogs lines;
            SendLoop sender(fake, lines, strings, job);
            sender.finalStateWait = std::chrono::milliseconds(waitMs);
            auto started = std::chrono::steady_clock::now();
            SendOutcome outcome = sender.SendJob("capture", 0, {first, second});
            auto took = std::chrono::steady_clock::now() - started;
            std::string what = std::string(paused ? "paused" : "no history") + " wait " + std::to_string(waitMs);
            EXPECT_EQ(outcome.sentCount(), 2u) << what;
            std::vector<std::string> expected{statusFor(IdsFileSent, first), statusFor(IdsFileSent, second)};
            if (waitMs > 0) {
                int last = paused ? IdsJobStillWaiting : IdsJobStateUnknown;
                expected.push_back(statusFor(last, first));
                expected.push_back(statusFor(last, second));
            }
            EXPECT_EQ(lines.statusTexts, expected) << what;
            // Without a wait nothing waits; with one, a paused queue holds the send for that long only.
            if (waitMs == 0 || !paused)
                EXPECT_LT(took, std::chrono::seconds(2)) << what;
            else
                EXPECT_GE(took, std::chrono::milliseconds(waitMs)) << what;
        }
    }
}

TEST_F(SendLoopTest, EveryFileGetsOneLineInListOrderWhateverFailsOrStops)
{
    enum Case { StartFails, WriteFails, FinishFails, Unreadable, Missing, GeneratorFails, Cancelled, Aborted };
    for (int which = StartFails; which <= Aborted; ++which) {
        FakeSpooler faulty;
        OrderedDialogs ordered;
        SimpleJob simpleJob;
        SendLoop sender(faulty, ordered, strings, simpleJob);
        std::string first = folders.file("first.prn", "first");
        std::string second = folders.file("second.prn", std::string(5000, 's'));
        std::string third = folders.file("third.prn", "third");
        std::string error = strings.text(IdsSpoolerError) + "\n\n";
        std::string unreadable = folders.files + "/folder.prn";
        std::filesystem::create_directories(unreadable);
        std::vector<std::string> expected{statusFor(IdsFileSent, first)};
        bool thirdSent = true;
        switch (which) {
        case StartFails:
            faulty.failStartOf = 1;
            expected.push_back("box " + error + faulty.failureText);
            break;
        case WriteFails:
            faulty.failWriteOf = 1, faulty.failWriteAfter = 100;
            expected.push_back("box " + error + faulty.failureText);
            break;
        case FinishFails:
            faulty.failFinishOf = 1;
            expected.push_back("box " + error + faulty.failureText);
            break;
        case Unreadable:
            second = unreadable;
            break;
        case Missing:
            second = folders.files + "/missing.prn";
            ordered.setNextFileDialogCancelled();
            expected.push_back("locate " + second);
            break;
        case GeneratorFails:
            simpleJob.failAtCall = 1, simpleJob.failResult = 4;
            expected.push_back("box " + strings.text(IdsHeaderFailed));
            thirdSent = false;
            break;
        case Cancelled:
            simpleJob.beforeFile = [&](int call) {
                if (call == 0)
                    sender.cancel();   // Escape while the first file goes up
            };
            thirdSent = false;
            break;
        case Aborted:
            // Ctrl+C in the middle of the second file.
            faulty.failWriteAfter = 0;
            sender.abortRequested = [&] { return faulty.documents.size() == 2 && !faulty.documents[1].data.empty(); };
            thirdSent = false;
            break;
        }
        if (which != Missing)   // a file the operator did not locate is skipped without a line
            expected.push_back(statusFor(IdsFileNotSent, second));
        expected.push_back(statusFor(thirdSent ? IdsFileSent : IdsFileNotSent, third));
        SendOutcome outcome = sender.SendJob("capture", 0, {first, second, third});
        EXPECT_EQ(ordered.seen, expected) << which;
        ASSERT_EQ(outcome.files.size(), 3u) << which;
        EXPECT_EQ(outcome.files[2].state, thirdSent ? State::Sent : State::NotSent) << which;
        EXPECT_EQ(outcome.aborted, which == Aborted) << which;
        EXPECT_EQ(outcome.cancelled, which == Cancelled || which == Aborted) << which;
        EXPECT_EQ(faulty.misplacedQuestions, 0) << which;
        ASSERT_FALSE(faulty.documents.empty()) << which;
        EXPECT_EQ(faulty.documents[0].state, FakeSpooler::Document::State::Finished) << which;
        for (const auto& document : faulty.documents)
            EXPECT_NE(document.state, FakeSpooler::Document::State::Open) << which;
        if (which == Aborted) {
            ASSERT_EQ(faulty.documents.size(), 2u);
            EXPECT_EQ(faulty.documents[1].state, FakeSpooler::Document::State::Cancelled);
        }
        EXPECT_TRUE(folders.tempEntries().empty()) << which;
    }
}

TEST_F(SendLoopTest, SendFileOnItsOwnIsSentOnceTheSpoolerHoldsTheDocument)
{
    spooler.abortAfterUploadOf = 0;
    ASSERT_TRUE(spooler.openQueue("capture"));
    std::string staging = loop.MakeStagingPath("");
    EXPECT_EQ(loop.SendFile(staging, folders.file("1.prn", "one"), kSettingsModeNoHeader), 1);
    EXPECT_TRUE(dialogs.shown.empty());
    ASSERT_NE(loop.lastJob(), 0);
    EXPECT_EQ(spooler.jobState(loop.lastJob()).kind, SpoolerJobState::Kind::Aborted);
    EXPECT_EQ(loop.SendFile(staging, folders.file("2.prn", "two"), kSettingsModeNoHeader), 1);
    EXPECT_EQ(spooler.jobState(loop.lastJob()).kind, SpoolerJobState::Kind::Completed);
    spooler.closeQueue();
}

// A spooler that lets a test act on the print file in the middle of its document.
struct MidDocumentSpooler : FakeSpooler {
    std::function<void()> afterFirstWrite;
    bool write(const void* data, std::size_t count) override
    {
        bool ok = FakeSpooler::write(data, count);
        if (afterFirstWrite && documents.back().writes.size() == 2) {
            afterFirstWrite();
            afterFirstWrite = nullptr;
        }
        return ok;
    }
};

TEST_F(SendLoopTest, PrintFileChangedWhileItWasSentIsNotSent)
{
    const std::string body(64 * SendLoop::kBlockSize, 'p');
    enum Case { Truncated, Grown, Rewritten, ReplacedByRename, StrippedCopyTruncated };
    for (int which = Truncated; which <= StrippedCopyTruncated; ++which) {
        MidDocumentSpooler changing;
        ScriptedDialogs shown;
        SimpleJob simpleJob;
        SendLoop sender(changing, shown, strings, simpleJob);
        std::string contents = which == StrippedCopyTruncated ? kDriverHeader + body : body;
        std::string path = folders.file("changing.prn", contents);
        std::string next = folders.file("next.prn", "next");
        changing.afterFirstWrite = [&] {
            if (which == Truncated || which == StrippedCopyTruncated)
                ::truncate(path.c_str(), 100);
            else if (which == Grown)
                std::ofstream(path, std::ios::app) << "more";
            else if (which == Rewritten) {
                std::string other = contents;
                other[10] = 'X';
                writeFile(path, other);   // same size; only the time tells
                struct timespec times[2] = {{0, UTIME_OMIT}, {1, 0}};
                ::utimensat(AT_FDCWD, path.c_str(), times, 0);
            } else {
                std::string replacement = folders.files + "/replacement";
                writeFile(replacement, contents);
                ::rename(replacement.c_str(), path.c_str());
            }
        };
        SendOutcome outcome = sender.SendJob("capture", 0, {path, next});
        ASSERT_EQ(changing.documents.size(), 2u) << which;
        EXPECT_EQ(changing.documents[0].state, FakeSpooler::Document::State::Cancelled) << which;
        EXPECT_EQ(outcome.files[0].state, State::NotSent) << which;
        EXPECT_EQ(outcome.files[1].state, State::Sent) << which;
        ASSERT_EQ(shown.shown.size(), 1u) << which;
        EXPECT_EQ(shown.shown[0].text, statusFor(IdsFileChanged, path)) << which;
        EXPECT_EQ(shown.statusTexts, (std::vector<std::string>{statusFor(IdsFileNotSent, path), statusFor(IdsFileSent, next)}))
            << which;
        EXPECT_TRUE(folders.tempEntries().empty()) << which;
    }
}

TEST_F(SendLoopTest, NamesWithControlBytesCannotFakeALine)
{
    EXPECT_EQ(printableName("a\nb\rc\td"), "a\\nb\\rc\\td");
    EXPECT_EQ(printableName("x\x1b[2Ky\x7f"), "x\\x1b[2Ky\\x7f");
    EXPECT_EQ(printableName("\xc2\x9b" "31m \xc3\xa9t\xc3\xa9"), "\\x9b31m \xc3\xa9t\xc3\xa9");   // C1 CSI escaped, é kept
    std::string sneaky = folders.file("x\n" + formatText(strings.text(IdsFileSent), "y"), "z");
    loop.SendJob("capture", 0, {sneaky});
    ASSERT_EQ(dialogs.statusTexts.size(), 1u);
    EXPECT_EQ(dialogs.statusTexts[0].find('\n'), std::string::npos) << dialogs.statusTexts[0];
    EXPECT_EQ(dialogs.statusTexts[0], statusFor(IdsFileSent, printableName(sneaky)));
}

TEST_F(SendLoopTest, UnreadablePrintFileIsNotSentAndTheNextGoes)
{
    // A folder passes the existence check but cannot be read as a file.
    std::string folder = folders.files + "/not-a-file";
    std::filesystem::create_directory(folder);
    std::string good = folders.file("good.prn", "good");
    SendOutcome outcome = loop.SendJob("capture", 0, {folder, good});
    ASSERT_EQ(spooler.documents.size(), 2u);
    EXPECT_EQ(spooler.documents[0].state, FakeSpooler::Document::State::Cancelled);
    EXPECT_EQ(spooler.documents[1].state, FakeSpooler::Document::State::Finished);
    EXPECT_EQ(outcome.files[0].state, State::NotSent);
    EXPECT_TRUE(folders.tempEntries().empty());
}

TEST_F(SendLoopTest, PipesAndDevicesAreNotReadAsPrintFiles)
{
    // A pipe without a writer would hold the open; a device like /dev/zero never ends.
    std::string pipe = folders.files + "/pipe.prn";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::atomic<bool> done{false};
    std::thread lateWriter([&] {
        // Frees a reader stuck in the open after two seconds, so a failure is slow, not a hang.
        auto start = std::chrono::steady_clock::now();
        while (!done.load() && std::chrono::steady_clock::now() - start < std::chrono::seconds(2))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        while (!done.load()) {
            int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    struct BoundedSpooler : FakeSpooler {
        bool write(const void* data, std::size_t count) override
        {
            if (!documents.empty() && documents.back().data.size() + count > (1u << 20))
                return false;
            return FakeSpooler::write(data, count);
        }
    } bounded;
    SendLoop sender(bounded, dialogs, strings, job);
    std::string good = folders.file("good.prn", "good");
    auto started = std::chrono::steady_clock::now();
    SendOutcome outcome = sender.SendJob("capture", 0, {pipe, "/dev/zero", good});
    auto took = std::chrono::steady_clock::now() - started;
    done.store(true);
    lateWriter.join();

    EXPECT_LT(took, std::chrono::seconds(1));
    ASSERT_EQ(bounded.documents.size(), 3u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(bounded.documents[i].state, FakeSpooler::Document::State::Cancelled) << i;
        // The header went; not one byte of the file followed it.
        EXPECT_EQ(bounded.documents[i].data.size(), SimpleJob::headerFor(outcome.files[i].sentPath, 0, 0).size()) << i;
        EXPECT_EQ(outcome.files[i].state, State::NotSent) << i;
    }
    EXPECT_EQ(bounded.documents[2].state, FakeSpooler::Document::State::Finished);
    EXPECT_TRUE(dialogs.shown.empty());   // a file that cannot be read is no spooler error
    EXPECT_EQ(dialogs.statusTexts,
              (std::vector<std::string>{statusFor(IdsFileNotSent, pipe), statusFor(IdsFileNotSent, "/dev/zero"),
                                        statusFor(IdsFileSent, good)}));
    EXPECT_TRUE(folders.tempEntries().empty());
}

TEST_F(SendLoopTest, PdfFileForAPclPrinterIsTreatedAsPostScript)
{
    job.printer = 1;
    job.file = 2;
    loop.SendJob("capture", 0, {folders.file("doc.pdf", "%PDF-1.4")});
    ASSERT_EQ(job.calls.size(), 1u);
    EXPECT_EQ(job.calls[0].fileLanguage, 0);
    EXPECT_EQ(job.file, 0);
}

TEST_F(SendLoopTest, StagingNamesAreFreshAndInAPrivateFolder)
{
    std::string a = loop.MakeStagingPath("spxl");
    writeFile(a, "x");
    std::string b = loop.MakeStagingPath("spxl");
    std::string c = loop.MakeStagingPath("");
    EXPECT_NE(a, b);
    EXPECT_EQ(a.rfind(folders.temp + "/", 0), 0u);
    EXPECT_NE(std::filesystem::path(a).parent_path(), std::filesystem::path(folders.temp));
    EXPECT_EQ(std::filesystem::path(b).filename().string().rfind("spxl", 0), 0u);
    EXPECT_EQ(std::filesystem::path(c).filename().string().rfind("~TM", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(b));
}

TEST_F(SendLoopTest, FileBeyondTwoGigabytesIsCopiedWhole)
{
    // A sparse file: 2 GiB of zeros and a last byte of its own.
    std::string path = folders.files + "/huge.prn";
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    const off_t size = (off_t(1) << 31) + 1;
    ASSERT_EQ(::pwrite(fd, "Z", 1, size - 1), 1);
    ::close(fd);

    struct CountingSpooler : FakeSpooler {
        std::uint64_t bytes = 0;
        char last = 0;
        bool write(const void* data, std::size_t count) override
        {
            bytes += count;
            if (count)
                last = static_cast<const char*>(data)[count - 1];
            return true;
        }
    } counting;
    SendLoop sender(counting, dialogs, strings, job);
    std::uint64_t reportedTotal = 0;
    sender.onProgress = [&](std::uint64_t, std::uint64_t total) { reportedTotal = total; };
    ASSERT_TRUE(counting.openQueue("capture"));
    ASSERT_TRUE(counting.startDocument("huge.prn"));
    EXPECT_TRUE(sender.CopyFileToPrinter(path, true));
    EXPECT_EQ(counting.bytes, static_cast<std::uint64_t>(size));
    EXPECT_EQ(counting.last, 'Z');
    EXPECT_EQ(reportedTotal, static_cast<std::uint64_t>(size));
}

TEST(FormatText, SubstitutesOnceAndNeverInterpretsOtherConversions)
{
    EXPECT_EQ(formatText("Sent: %s", "/a/b"), "Sent: /a/b");
    EXPECT_EQ(formatText("%s and %s", "x"), "x and %s");
    EXPECT_EQ(formatText("100%% of %s %d %n", "x"), "100% of x %d %n");
    EXPECT_EQ(formatText("no argument", "x"), "no argument");
    EXPECT_EQ(formatText("%s", "%s%n"), "%s%n");
}

} // namespace
} // namespace spx::test
