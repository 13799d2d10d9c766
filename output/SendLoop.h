#pragma once
// The send loop: every print file of the job goes to the printer queue as one RAW document, the
// job header that the generator writes into a staging file first and the print file's own bytes
// after it. Plain C++: the spooler, the dialogs and the job come in through interfaces, so the
// loop runs the same in the window, in spxjob and in tests.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Dialogs.h"
#include "Spooler.h"
#include "StringTable.h"

namespace spx {

// String ids of the send loop.
enum SendStringId {
    IdsPrintFileFilter = 69,    // filter of the locate dialog
    IdsFileSent = 90,           // status line: the file was sent (%s = path)
    IdsFileNotSent = 91,        // status line: the file was not sent (%s = path)
    IdsHeaderFailed = 110,      // the job header could not be written; the send stops
    IdsNoPrintFiles = 372,      // the file list is empty
    IdsLocateFileTitle = 431,   // title of the locate dialog (%s = missing path)
    IdsHeaderMarkerA = 376,     // must occur in the print file's first block
    IdsHeaderMarkerB = 216,     // end of the print file's own job header
    IdsHeaderMarkerC = 215,     // optional, dropped with what precedes it
    IdsHeaderMarkerD = 422,     // optional, dropped with what precedes it
    IdsSpoolerError = 57638,    // first line of the spooler's error box
    IdsJobAborted = 3310,       // status line: the spooler aborted a sent file's job (%s path, %s reason)
    IdsJobCancelled = 3311,     // status line: a sent file's job was cancelled (%s path, %s reason)
    IdsJobCompleted = 3312,     // final state: the printer has the job (%s = path)
    IdsJobStateUnknown = 3313,  // final state: sent, the spooler no longer knows the job (%s = path)
    IdsJobStillWaiting = 3314,  // final state: sent, still queued when the wait ended (%s = path)
    IdsJobHeld = 3315,          // final state: sent, held at the spooler (%s = path)
    IdsFileChanged = 3316,      // the print file changed while it was sent (%s = path)
};

// The settings mode in which no option tab applies: no header, the file unchanged.
inline constexpr int kSettingsModeNoHeader = 2;

// What the send loop needs of the job: the option pages, the two languages and the generator.
class SendJobSource {
public:
    virtual ~SendJobSource() = default;
    // The option pages store their state in the job document before each file.
    virtual void storePages() {}
    virtual int printerLanguage() const = 0;   // 0 PostScript, 1 PCL
    virtual int fileLanguage() const = 0;      // 0 PostScript, 1 PCL, 2 PDF
    virtual void setFileLanguage(int language) = 0;
    // Writes the job header for `printFile` into `stagingPath`: 0 success; 1 memory exhausted,
    // 3 include file missing, 4 staging file not created or no paper list. Writing nothing and
    // returning 0 means there is no header for this file (the file is then not sent).
    virtual int generate(const std::string& printFile, const std::string& stagingPath, int fileLanguage) = 0;
    // After a failed generation the option pages show the job again.
    virtual void refreshSheet() {}
};

// What became of one entry of the file list. A file is sent once the spooler accepted its whole
// document; what the spooler then did with its job is learned later, or not at all.
struct SendFileResult {
    enum class State { Sent, NotSent, Skipped };
    std::string listedPath;   // the entry of the file list
    std::string sentPath;     // the file actually sent (a located file replaces a missing one)
    State state = State::NotSent;
    SpoolerJobState job;      // of a sent file: its job as last learned
};

struct SendOutcome {
    bool queueOpened = false;
    bool headerFailed = false;   // message 110 was shown and the send stopped
    bool cancelled = false;      // `sending` was cleared before the list was through
    bool aborted = false;        // the send was broken off in the middle of a document
    std::vector<SendFileResult> files;   // every entry, in list order

    std::size_t sentCount() const;
    // Sent files whose job the spooler is known to have aborted or cancelled.
    std::size_t endedUnprintedCount() const;
};

class SendLoop {
public:
    static constexpr std::size_t kBlockSize = 2048;

    SendLoop(Spooler& spooler, IDialogs& dialogs, const StringTable& strings, SendJobSource& job);
    ~SendLoop();
    SendLoop(const SendLoop&) = delete;
    SendLoop& operator=(const SendLoop&) = delete;

    // Sends every file of `files`, first to last, to the queue `printerName`.
    SendOutcome SendJob(const std::string& printerName, int settingsMode, const std::vector<std::string>& files);

    // One spooler document: the staging file (unless the settings mode is 2) and the print file,
    // or its copy without its own job header. 1 when both parts went and the spooler accepted
    // the whole document (its job is then lastJob()), 0 otherwise; a print file that changed
    // while it was read is not sent. The spooler must have the queue open.
    int SendFile(const std::string& stagingPath, const std::string& printFile, int settingsMode);
    // Writes the file to the started document in blocks of kBlockSize bytes; a leading 0x04 of
    // the file is left out when `dropLeadingCtrlD` is set. False on a file or spooler error, for
    // anything but a regular file (a pipe or a device is never read), for a file that ends before
    // or after the size it had when it was opened, and when the send is aborted.
    bool CopyFileToPrinter(const std::string& path, bool dropLeadingCtrlD);
    // Makes a copy of the print file without its own job header and, on success, names it in
    // `fileToSend`. False (and no copy left) when the file has no such header or on any error.
    bool StripFileHeader(const std::string& printFile, std::string& fileToSend);
    // A fresh staging file name in this send's temporary folder (`prefix` "~TM" when empty).
    std::string MakeStagingPath(const std::string& prefix);
    // The spooler's last error (or `text`) in an error box.
    void ShowSystemError();
    void ShowSystemError(const std::string& text);
    // "sent" or "not sent" with the path on the status line.
    void ReportFileResult(int result, const std::string& path);

    // Asks the spooler once about every job of the last send whose end is not known yet, and
    // reports a job that ended without printing (a status line with the file and the spooler's
    // reason). Never waits. True while some job may still change. SendJob calls it now and then
    // and at its end; the window may go on calling it after the send.
    bool followJobs();
    // The spooler's job of the last document SendFile handed over.
    int lastJob() const { return lastJob_; }

    // Set while SendJob runs; clearing it (cancel) ends the loop before the next file.
    bool isSending() const { return sending_.load(); }
    void cancel() { sending_.store(false); }
    std::atomic<bool>& sendingFlag() { return sending_; }
    // Breaks the send off: the document being written is cancelled, nothing more is sent, and
    // a wait for final states ends. `abortRequested` is asked too, between blocks (a signal
    // handler can set what it reads).
    void abort() { aborting_.store(true); }
    bool isAborting() const { return aborting_.load() || (abortRequested && abortRequested()); }
    std::function<bool()> abortRequested;

    // How long SendJob waits at its end for the jobs of its files to end; 0 does not wait. With
    // a wait, every sent file gets a last line with its job's final state (or that it is not
    // known, or still on its way).
    std::chrono::milliseconds finalStateWait{0};
    // Called while a file is copied (bytes written so far, size of the file): the window keeps
    // itself responsive here, spxjob shows progress.
    std::function<void(std::uint64_t done, std::uint64_t total)> onProgress;
    // Name prefix of the staging files.
    std::string applicationName = "spxl";

    // The temporary folder: $TMPDIR when it names a folder, else /tmp.
    static std::string temporaryFolder();

private:
    // How a copy to the printer failed.
    enum class CopyFailure { None, File, Spooler, Changed, Aborted };
    // A sent file whose job is followed.
    struct FollowedJob {
        std::size_t index = 0;   // its entry in the outcome of SendJob
        std::string path;
        int job = 0;
        SpoolerJobState state{SpoolerJobState::Kind::Waiting, {}};
    };

    void sendEntry(const std::string& entry, int settingsMode, SendOutcome& outcome);
    bool locateMissing(std::string& path);
    void reportUnreached(const std::vector<std::string>& files, SendOutcome& outcome);
    void waitForFinalStates();
    void reportFinalStates();
    void reportJobEnd(const FollowedJob& followed);
    int failDocument(CopyFailure failure, const std::string& printFile);

    bool ensureWorkFolder();
    void removeWorkFolder();

    Spooler& spooler_;
    IDialogs& dialogs_;
    const StringTable& strings_;
    SendJobSource& job_;
    std::atomic<bool> sending_{false};
    std::atomic<bool> aborting_{false};
    CopyFailure copyFailure_ = CopyFailure::None;   // of the last CopyFileToPrinter
    std::string workFolder_;       // private folder of this send's staging files and copies
    unsigned stagingCounter_ = 0;
    int lastJob_ = 0;
    std::vector<FollowedJob> followed_;
    std::chrono::steady_clock::time_point lastFollow_;
};

// Replaces the first "%s" of `pattern` by `argument` ("%%" stands for "%"); the pattern is a
// text of the resource bundle and is never handed to printf.
std::string formatText(const std::string& pattern, const std::string& argument);
// The same with one argument for each "%s", in order.
std::string formatText(const std::string& pattern, const std::vector<std::string>& arguments);
// A file name as it may be shown on one line: control bytes (line breaks, escape sequences, the
// C1 controls of UTF-8) appear as \n, \r, \t or \xHH, so that a name cannot end a line or
// steer the terminal.
std::string printableName(const std::string& name);

} // namespace spx
