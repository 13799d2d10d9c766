#pragma once
// The send loop: every print file of the job goes to the printer queue as one RAW document, the
// job header that the generator writes into a staging file first and the print file's own bytes
// after it. Plain C++: the spooler, the dialogs and the job come in through interfaces, so the
// loop runs the same in the window, in spxjob and in tests.

#include <atomic>
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
    IdsStripPrefix = 447,       // name prefix of a stripped copy
    IdsHeaderMarkerA = 376,     // must occur in the print file's first block
    IdsHeaderMarkerB = 216,     // end of the print file's own job header
    IdsHeaderMarkerC = 215,     // optional, dropped with what precedes it
    IdsHeaderMarkerD = 422,     // optional, dropped with what precedes it
    IdsSpoolerError = 57638,    // first line of the spooler's error box
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

// What became of one entry of the file list.
struct SendFileResult {
    enum class State { Sent, NotSent, Skipped };
    std::string listedPath;   // the entry of the file list
    std::string sentPath;     // the file actually sent (a located file replaces a missing one)
    State state = State::NotSent;
};

struct SendOutcome {
    bool queueOpened = false;
    bool headerFailed = false;   // message 110 was shown and the send stopped
    bool cancelled = false;      // `sending` was cleared before the list was through
    std::vector<SendFileResult> files;   // the entries reached, in list order

    std::size_t sentCount() const;
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
    // or its copy without its own job header. 1 when both parts went and the spooler took the
    // document, 0 otherwise. Within SendJob the document then awaits the spooler's confirmation
    // while the next file goes up, and the file sent before, still unconfirmed, is confirmed and
    // reported here once this document's upload has ended (and before any message of its own);
    // called on its own, the document is confirmed before SendFile returns. The spooler must
    // have the queue open.
    int SendFile(const std::string& stagingPath, const std::string& printFile, int settingsMode);
    // Writes the file to the started document in blocks of kBlockSize bytes; a leading 0x04 of
    // the file is left out when `dropLeadingCtrlD` is set. False on a file or spooler error, and
    // for anything but a regular file (a pipe or a device is never read).
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

    // Set while SendJob runs; clearing it (cancel) ends the loop before the next file.
    bool isSending() const { return sending_.load(); }
    void cancel() { sending_.store(false); }
    std::atomic<bool>& sendingFlag() { return sending_; }

    // Called while a file is copied (bytes written so far, size of the file): the window keeps
    // itself responsive here, spxjob shows progress.
    std::function<void(std::uint64_t done, std::uint64_t total)> onProgress;
    // Name prefix of the staging files.
    std::string applicationName = "spxl";

    // The temporary folder: $TMPDIR when it names a folder, else /tmp.
    static std::string temporaryFolder();

private:
    // The file whose upload has ended and whose job the spooler has yet to confirm: it is
    // followed while the next file goes up, and reported once the spooler has judged it.
    struct PendingFile {
        std::string path;
        std::size_t index = 0;   // its entry in the outcome of SendJob
    };
    // Confirms and reports the pending file, if any.
    void confirmPending();

    bool ensureWorkFolder();
    void removeWorkFolder();

    Spooler& spooler_;
    IDialogs& dialogs_;
    const StringTable& strings_;
    SendJobSource& job_;
    std::atomic<bool> sending_{false};
    bool spoolerFailed_ = false;   // the last CopyFileToPrinter failed at the spooler, not the file
    std::string workFolder_;       // private folder of this send's staging files and copies
    unsigned stagingCounter_ = 0;
    SendOutcome* outcome_ = nullptr;   // while SendJob runs
    bool hasPending_ = false;
    PendingFile pending_;
};

// Replaces the first "%s" of `pattern` by `argument` ("%%" stands for "%"); the pattern is a
// text of the resource bundle and is never handed to printf.
std::string formatText(const std::string& pattern, const std::string& argument);

} // namespace spx
