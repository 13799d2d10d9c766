#include "SendLoop.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace spx {

namespace {

// The progress callback runs about once per mebibyte.
constexpr std::uint64_t kProgressInterval = 1u << 20;

bool isBlank(char c) { return c == '\r' || c == '\n' || c == ' '; }

// Hands out a file's bytes block by block, reading it in larger pieces: the blocks the spooler
// sees stay those of the copy buffer, at a fraction of the system calls.
class BlockReader {
public:
    explicit BlockReader(int fd) : fd_(fd), buffer_(kReadAhead) {}

    // Up to `count` bytes (fewer only at the end of the file); -1 on an error.
    ssize_t read(char* out, std::size_t count)
    {
        std::size_t done = 0;
        while (done < count) {
            if (start_ == end_) {
                if (atEnd_)
                    break;
                ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
                if (n < 0) {
                    if (errno == EINTR)
                        continue;
                    return -1;
                }
                start_ = 0;
                end_ = static_cast<std::size_t>(n);
                atEnd_ = n == 0;
                continue;
            }
            std::size_t take = std::min(count - done, end_ - start_);
            std::memcpy(out + done, buffer_.data() + start_, take);
            start_ += take;
            done += take;
        }
        return static_cast<ssize_t>(done);
    }

private:
    static constexpr std::size_t kReadAhead = 256 * 1024;
    int fd_;
    std::vector<char> buffer_;
    std::size_t start_ = 0, end_ = 0;
    bool atEnd_ = false;
};

// Reads until `count` bytes or the end of the file; -1 on an error.
ssize_t readBlock(int fd, char* buffer, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        ssize_t n = ::read(fd, buffer + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

bool writeBlock(int fd, const char* data, std::size_t count)
{
    while (count > 0) {
        ssize_t n = ::write(fd, data, count);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        count -= static_cast<std::size_t>(n);
    }
    return true;
}

// A marker matches where its text without its last character stands; the last character is a
// place holder for the line end that follows (either of CR and LF), and moving past a match
// moves past it too. A marker too short to hold anything but the place holder never matches.
std::size_t findMarker(const std::string& marker, const char* block, std::size_t from, std::size_t end)
{
    if (marker.size() < 2 || from >= end)
        return std::string::npos;
    const char* first = block + from;
    const char* last = block + end;
    const char* hit = std::search(first, last, marker.begin(), marker.end() - 1);
    return hit == last ? std::string::npos : static_cast<std::size_t>(hit - block);
}

std::string baseName(const std::string& path)
{
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool exists(const std::string& path)
{
    return ::access(path.c_str(), F_OK) == 0;
}

// Opens a print file for reading; -1 unless it is a regular file. A pipe would block the open
// until some writer comes and a device may never end, so neither is read as a print file.
int openPrintFile(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

std::string formatText(const std::string& pattern, const std::string& argument)
{
    std::string out;
    bool used = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size()) {
            if (pattern[i + 1] == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (pattern[i + 1] == 's' && !used) {
                out += argument;
                used = true;
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

std::size_t SendOutcome::sentCount() const
{
    return static_cast<std::size_t>(std::count_if(files.begin(), files.end(),
        [](const SendFileResult& f) { return f.state == SendFileResult::State::Sent; }));
}

SendLoop::SendLoop(Spooler& spooler, IDialogs& dialogs, const StringTable& strings, SendJobSource& job)
    : spooler_(spooler), dialogs_(dialogs), strings_(strings), job_(job)
{
}

SendLoop::~SendLoop()
{
    removeWorkFolder();
}

std::string SendLoop::temporaryFolder()
{
    if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp) {
        struct stat info {};
        if (::stat(tmp, &info) == 0 && S_ISDIR(info.st_mode))
            return tmp;
    }
    return "/tmp";
}

bool SendLoop::ensureWorkFolder()
{
    if (!workFolder_.empty() && exists(workFolder_))
        return true;
    // A private folder per send: the generator may then create its staging file by name without
    // anyone else being able to put a file or a link there first.
    std::string pattern = temporaryFolder() + "/" + applicationName + "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) {
        workFolder_.clear();
        return false;
    }
    workFolder_ = name.data();
    stagingCounter_ = 0;
    return true;
}

void SendLoop::removeWorkFolder()
{
    if (workFolder_.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove_all(workFolder_, ignored);
    workFolder_.clear();
}

std::string SendLoop::MakeStagingPath(const std::string& prefix)
{
    // Without a private folder the name goes straight into the temporary folder; when that is
    // not writable the generator cannot create the file and says so.
    std::string folder = ensureWorkFolder() ? workFolder_ : temporaryFolder();
    std::string stem = folder + "/" + (prefix.empty() ? std::string("~TM") : prefix);
    for (;;) {
        std::string path = stem + std::to_string(++stagingCounter_);
        if (!exists(path))
            return path;
    }
}

void SendLoop::ShowSystemError()
{
    ShowSystemError(spooler_.lastErrorText());
}

void SendLoop::ShowSystemError(const std::string& text)
{
    dialogs_.messageBox(strings_.text(IdsSpoolerError) + "\n\n" + text, MessageIcon::Stop, MessageButtons::Ok);
}

void SendLoop::confirmPending()
{
    if (!hasPending_)
        return;
    hasPending_ = false;
    int result = spooler_.confirmDocument() ? 1 : 0;
    if (!result)
        ShowSystemError();
    ReportFileResult(result, pending_.path);
    if (outcome_ && pending_.index < outcome_->files.size())
        outcome_->files[pending_.index].state = result ? SendFileResult::State::Sent : SendFileResult::State::NotSent;
}

void SendLoop::ReportFileResult(int result, const std::string& path)
{
    dialogs_.statusText(formatText(strings_.text(result ? IdsFileSent : IdsFileNotSent), path));
}

bool SendLoop::CopyFileToPrinter(const std::string& path, bool dropLeadingCtrlD)
{
    spoolerFailed_ = false;
    if (path.empty())
        return false;
    int fd = openPrintFile(path);
    if (fd < 0)
        return false;
    // The size, for progress only; 64-bit offsets carry files beyond 2 GB.
    off_t size = ::lseek(fd, 0, SEEK_END);
    if (size < 0 || ::lseek(fd, 0, SEEK_SET) != 0) {
        ::close(fd);
        return false;
    }
    std::vector<char> buffer(kBlockSize);
    BlockReader reader(fd);
    bool ok = true;
    bool first = true;
    std::uint64_t done = 0;
    std::uint64_t nextReport = kProgressInterval;
    for (;;) {
        ssize_t count = reader.read(buffer.data(), kBlockSize);
        if (count < 0) {
            ok = false;
            break;
        }
        const char* data = buffer.data();
        std::size_t length = static_cast<std::size_t>(count);
        if (first && dropLeadingCtrlD && length > 0 && data[0] == '\x04') {
            ++data;
            --length;
        }
        first = false;
        // A file whose size is a multiple of the block ends with an empty write.
        if (!spooler_.write(data, length)) {
            spoolerFailed_ = true;
            ok = false;
            break;
        }
        done += static_cast<std::uint64_t>(count);
        if (onProgress && done >= nextReport) {
            onProgress(done, static_cast<std::uint64_t>(size));
            nextReport = done + kProgressInterval;
        }
        if (static_cast<std::size_t>(count) < kBlockSize)
            break;
    }
    if (::close(fd) != 0)
        ok = false;
    if (ok && onProgress)
        onProgress(done, static_cast<std::uint64_t>(size));
    return ok;
}

bool SendLoop::StripFileHeader(const std::string& printFile, std::string& fileToSend)
{
    const std::string markerA = strings_.ansi(IdsHeaderMarkerA);
    const std::string markerB = strings_.ansi(IdsHeaderMarkerB);
    const std::string markerC = strings_.ansi(IdsHeaderMarkerC);
    const std::string markerD = strings_.ansi(IdsHeaderMarkerD);
    if (!ensureWorkFolder())
        return false;
    std::string pattern = workFolder_ + "/" + strings_.ansi(IdsStripPrefix) + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int out = ::mkostemp(name.data(), O_CLOEXEC);
    if (out < 0)
        return false;
    std::string copyPath = name.data();
    int in = openPrintFile(printFile);
    auto abandon = [&] {
        if (in >= 0)
            ::close(in);
        ::close(out);
        ::unlink(copyPath.c_str());
        return false;
    };
    if (in < 0)
        return abandon();

    std::vector<char> buffer(kBlockSize);
    bool first = true;
    for (;;) {
        ssize_t count = readBlock(in, buffer.data(), kBlockSize);
        if (count < 0)
            return abandon();
        const char* block = buffer.data();
        std::size_t end = static_cast<std::size_t>(count);
        std::size_t pos = 0;
        if (first) {
            first = false;
            while (pos < end && isBlank(block[pos]))
                ++pos;
            if (findMarker(markerA, block, pos, end) == std::string::npos)
                return abandon();
            std::size_t hit = findMarker(markerB, block, pos, end);
            if (hit == std::string::npos)
                return abandon();
            pos = std::min(hit + markerB.size(), end);
            for (const std::string* marker : {&markerC, &markerD}) {
                hit = findMarker(*marker, block, pos, end);
                if (hit == std::string::npos)
                    continue;
                pos = std::min(hit + marker->size(), end);
                while (pos < end && isBlank(block[pos]))
                    ++pos;
            }
        }
        if (!writeBlock(out, block + pos, end - pos))
            return abandon();
        if (end < kBlockSize)
            break;
    }
    ::close(in);
    in = -1;
    if (::close(out) != 0) {
        ::unlink(copyPath.c_str());
        return false;
    }
    fileToSend = copyPath;
    return true;
}

int SendLoop::SendFile(const std::string& stagingPath, const std::string& printFile, int settingsMode)
{
    // Every failure below keeps the spooler's text while the file before is confirmed and
    // reported first, so that the lines and messages come in the order of the list.
    if (!spooler_.startDocument(baseName(printFile))) {
        std::string error = spooler_.lastErrorText();
        confirmPending();
        ShowSystemError(error);
        return 0;
    }
    bool ok = true;
    // The staging file keeps a leading 0x04: it is the generator's, not the print file's.
    if (settingsMode != kSettingsModeNoHeader)
        ok = CopyFileToPrinter(stagingPath, false);
    if (ok) {
        std::string fileToSend = printFile;
        bool stripped = settingsMode != kSettingsModeNoHeader && StripFileHeader(printFile, fileToSend);
        ok = CopyFileToPrinter(fileToSend, true);
        if (stripped)
            ::unlink(fileToSend.c_str());
    }
    if (!ok) {
        // Half a document never reaches the printer. A spooler that failed says why; a print
        // file that could not be read is reported on the status line only.
        bool spoolerFailed = spoolerFailed_;
        std::string error = spooler_.lastErrorText();
        spooler_.cancelDocument();
        confirmPending();
        if (spoolerFailed)
            ShowSystemError(error);
        return 0;
    }
    if (!spooler_.finishDocument()) {
        std::string error = spooler_.lastErrorText();
        confirmPending();
        ShowSystemError(error);
        return 0;
    }
    // The printer has worked on the file before while this one went up: its turn now. This
    // document is confirmed after the next upload, or at once when no send loop runs.
    confirmPending();
    if (!outcome_ && !spooler_.confirmDocument()) {
        ShowSystemError();
        return 0;
    }
    return 1;
}

SendOutcome SendLoop::SendJob(const std::string& printerName, int settingsMode, const std::vector<std::string>& files)
{
    SendOutcome outcome;
    if (files.empty()) {
        dialogs_.messageBox(strings_.text(IdsNoPrintFiles), MessageIcon::None, MessageButtons::Ok);
        return outcome;
    }
    if (!spooler_.openQueue(printerName)) {
        ShowSystemError();
        return outcome;
    }
    outcome.queueOpened = true;
    outcome_ = &outcome;
    struct OutcomeScope {
        SendLoop& loop;
        ~OutcomeScope() { loop.outcome_ = nullptr, loop.hasPending_ = false; }
    } outcomeScope{*this};
    sending_.store(true);
    for (const std::string& entry : files) {
        if (!sending_.load()) {
            outcome.cancelled = true;
            break;
        }
        SendFileResult fileResult;
        fileResult.listedPath = entry;
        std::string path = entry;
        if (!exists(path)) {
            confirmPending();   // the line of the file before comes ahead of this dialog
            FileDialogRequest request;
            request.filter = strings_.text(IdsPrintFileFilter);
            request.initialName = path;
            request.title = formatText(strings_.text(IdsLocateFileTitle), path);
            request.mustExist = true;
            FileDialogResult chosen = dialogs_.openFileName(request);
            if (!sending_.load()) {
                outcome.cancelled = true;
                break;
            }
            if (chosen.kind != FileDialogResult::Kind::Chosen || chosen.path.empty()) {
                fileResult.state = SendFileResult::State::Skipped;
                outcome.files.push_back(fileResult);
                continue;
            }
            path = chosen.path;   // for this send only; the list keeps its entry
        }
        fileResult.sentPath = path;

        job_.storePages();
        // A PCL printer reads a PDF file's header as PostScript.
        if (job_.printerLanguage() == 1 && job_.fileLanguage() == 2)
            job_.setFileLanguage(0);
        std::string stagingPath = MakeStagingPath(applicationName);
        int generated = job_.generate(path, stagingPath, job_.fileLanguage());
        if (generated != 0) {
            ::unlink(stagingPath.c_str());
            confirmPending();
            dialogs_.messageBox(strings_.text(IdsHeaderFailed), MessageIcon::Stop, MessageButtons::Ok);
            job_.refreshSheet();
            outcome.headerFailed = true;
            fileResult.state = SendFileResult::State::NotSent;
            outcome.files.push_back(fileResult);
            sending_.store(false);
            break;
        }
        // The entry is Sent only once the spooler has confirmed its job.
        fileResult.state = SendFileResult::State::NotSent;
        std::size_t index = outcome.files.size();
        outcome.files.push_back(fileResult);
        int result = SendFile(stagingPath, path, settingsMode);
        ::unlink(stagingPath.c_str());
        if (result) {
            pending_ = {path, index};
            hasPending_ = true;
        } else {
            ReportFileResult(0, path);
        }
    }
    // Whatever ended the loop, the last file is confirmed and reported before the queue closes.
    confirmPending();
    sending_.store(false);
    spooler_.closeQueue();
    removeWorkFolder();
    return outcome;
}

} // namespace spx
