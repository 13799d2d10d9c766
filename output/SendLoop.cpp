#include "SendLoop.h"

#include "FileStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "SharedStringIds.h"

namespace spx {

namespace {

// The progress callback runs about once per mebibyte.
constexpr std::uint64_t kProgressInterval = 1u << 20;
// Within a send the spooler is asked about earlier jobs at most this often.
constexpr std::chrono::milliseconds kFollowInterval{1000};
// While waiting for final states: the longest pause between two rounds of questions.
constexpr std::chrono::milliseconds kLongestFollowPause{250};

bool isBlank(char c) { return c == '\r' || c == '\n' || c == ' '; }

// Hands out a file's bytes block by block, reading it in larger pieces: the blocks the spooler
// sees stay those of the copy buffer, at a fraction of the system calls.
class BlockReader {
public:
    explicit BlockReader(CFileStream& file) : file_(file), buffer_(kReadAhead) {}

    // Up to `count` bytes (fewer only at the end of the file); -1 on an error.
    ssize_t read(char* out, std::size_t count)
    {
        std::size_t done = 0;
        while (done < count) {
            if (start_ == end_) {
                if (atEnd_)
                    break;
                int64_t got = static_cast<int64_t>(buffer_.size());
                // The stream reports a read at the end of the file as a failure that moved nothing.
                if (!file_.Read(buffer_.data(), got) && got == 0 && !atEndOfFile())
                    return -1;
                start_ = 0;
                end_ = static_cast<std::size_t>(got);
                atEnd_ = got == 0;
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
    // At or past the end: a file cut below the position counts as ended too.
    bool atEndOfFile()
    {
        int64_t position = 0, length = 0;
        return file_.GetPosition(position) && file_.GetLength(length) && position >= length;
    }

    static constexpr std::size_t kReadAhead = 256 * 1024;
    CFileStream& file_;
    std::vector<char> buffer_;
    std::size_t start_ = 0, end_ = 0;
    bool atEnd_ = false;
};

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

// What tells that a print file is still the one it was: the same file, size and modification time.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    struct timespec modified {};

    bool read(const std::string& path)
    {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0)
            return false;
        device = info.st_dev, inode = info.st_ino, size = info.st_size, modified = info.st_mtim;
        return true;
    }
    bool operator==(const FileIdentity& other) const
    {
        return device == other.device && inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
    }
};

// Opens a print file for reading, only when it is a regular file: a pipe would block the open
// until some writer comes and a device may never end, so neither is read as a print file.
bool openPrintFile(CFileStream& file, const std::string& path)
{
    file.openMode = FileOpenRead;
    file.regularFilesOnly = true;
    return file.SetName(path) && file.Open();
}

} // namespace

std::string formatText(const std::string& pattern, const std::string& argument)
{
    return formatText(pattern, std::vector<std::string>{argument});
}

std::string formatText(const std::string& pattern, const std::vector<std::string>& arguments)
{
    std::string out;
    std::size_t used = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size()) {
            if (pattern[i + 1] == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (pattern[i + 1] == 's' && used < arguments.size()) {
                out += arguments[used++];
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

std::string printableName(const std::string& name)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        auto byte = static_cast<unsigned char>(name[i]);
        // U+0080..U+009F, two bytes in UTF-8: some terminals act on them as on ESC sequences.
        bool c1 = byte == 0xc2 && i + 1 < name.size() && (static_cast<unsigned char>(name[i + 1]) & 0xe0) == 0x80;
        if (byte >= 0x20 && byte != 0x7f && !c1) {
            out += name[i];
            continue;
        }
        if (byte == '\n')
            out += "\\n";
        else if (byte == '\r')
            out += "\\r";
        else if (byte == '\t')
            out += "\\t";
        else {
            if (c1)
                byte = static_cast<unsigned char>(name[++i]);
            out += "\\x";
            out += digits[byte >> 4];
            out += digits[byte & 15];
        }
    }
    return out;
}

std::size_t SendOutcome::sentCount() const
{
    return static_cast<std::size_t>(std::count_if(files.begin(), files.end(),
        [](const SendFileResult& f) { return f.state == SendFileResult::State::Sent; }));
}

std::size_t SendOutcome::endedUnprintedCount() const
{
    return static_cast<std::size_t>(std::count_if(files.begin(), files.end(), [](const SendFileResult& f) {
        return f.state == SendFileResult::State::Sent &&
               (f.job.kind == SpoolerJobState::Kind::Aborted || f.job.kind == SpoolerJobState::Kind::Cancelled);
    }));
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

void SendLoop::ReportFileResult(int result, const std::string& path)
{
    dialogs_.statusText(formatText(strings_.text(result ? IdsFileSent : IdsFileNotSent), printableName(path)));
}

bool SendLoop::CopyFileToPrinter(const std::string& path, bool dropLeadingCtrlD)
{
    copyFailure_ = CopyFailure::File;
    if (path.empty())
        return false;
    CFileStream file;
    // The size the file must keep while it is read; 64-bit offsets carry files beyond 2 GB.
    int64_t size = 0;
    if (!openPrintFile(file, path) || !file.GetLength(size))
        return false;
    const auto expected = static_cast<std::uint64_t>(size);
    std::vector<char> buffer(kBlockSize);
    BlockReader reader(file);
    CopyFailure failure = CopyFailure::None;
    bool first = true;
    std::uint64_t done = 0;
    std::uint64_t nextReport = kProgressInterval;
    for (;;) {
        if (isAborting()) {
            failure = CopyFailure::Aborted;
            break;
        }
        ssize_t count = reader.read(buffer.data(), kBlockSize);
        if (count < 0) {
            failure = CopyFailure::File;
            break;
        }
        // A file that ends early was cut while it was read; one that goes on grew meanwhile.
        done += static_cast<std::uint64_t>(count);
        bool atEnd = static_cast<std::size_t>(count) < kBlockSize;
        if (done > expected || (atEnd && done < expected)) {
            failure = CopyFailure::Changed;
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
            failure = CopyFailure::Spooler;
            break;
        }
        if (onProgress && done >= nextReport) {
            onProgress(done, expected);
            nextReport = done + kProgressInterval;
        }
        if (atEnd)
            break;
    }
    if (!file.Close() && failure == CopyFailure::None)
        failure = CopyFailure::File;
    copyFailure_ = failure;
    if (failure == CopyFailure::None && onProgress)
        onProgress(done, expected);
    return failure == CopyFailure::None;
}

bool SendLoop::StripFileHeader(const std::string& printFile, std::string& fileToSend)
{
    const std::string markerA = strings_.ansi(IdsHeaderMarkerA);
    const std::string markerB = strings_.ansi(IdsHeaderMarkerB);
    const std::string markerC = strings_.ansi(IdsHeaderMarkerC);
    const std::string markerD = strings_.ansi(IdsHeaderMarkerD);
    if (!ensureWorkFolder())
        return false;
    std::string pattern = workFolder_ + "/" + strings_.ansi(IdsJobExtension) + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int out = ::mkostemp(name.data(), O_CLOEXEC);
    if (out < 0)
        return false;
    std::string copyPath = name.data();
    CFileStream in;
    auto abandon = [&] {
        ::close(out);
        ::unlink(copyPath.c_str());
        return false;
    };
    if (!openPrintFile(in, printFile))
        return abandon();
    BlockReader reader(in);

    std::vector<char> buffer(kBlockSize);
    bool first = true;
    for (;;) {
        ssize_t count = reader.read(buffer.data(), kBlockSize);
        if (count < 0 || isAborting())
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
    in.Close();
    if (::close(out) != 0) {
        ::unlink(copyPath.c_str());
        return false;
    }
    fileToSend = copyPath;
    return true;
}

int SendLoop::failDocument(CopyFailure failure, const std::string& printFile)
{
    // Half a document never reaches the printer. A spooler that failed says why, and so does a
    // file that changed while it was read; a print file that could not be read, or a send broken
    // off, is reported on the status line only.
    std::string error = spooler_.lastErrorText();
    spooler_.cancelDocument();
    if (isAborting())
        return 0;   // a spooler made to give up by the abort has nothing to say
    if (failure == CopyFailure::Spooler)
        ShowSystemError(error);
    else if (failure == CopyFailure::Changed)
        dialogs_.messageBox(formatText(strings_.text(IdsFileChanged), printableName(printFile)), MessageIcon::Stop,
                            MessageButtons::Ok);
    return 0;
}

int SendLoop::SendFile(const std::string& stagingPath, const std::string& printFile, int settingsMode)
{
    lastJob_ = 0;
    FileIdentity before;
    bool known = before.read(printFile);
    if (!spooler_.startDocument(baseName(printFile))) {
        ShowSystemError();
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
        if (!ok && stripped && copyFailure_ == CopyFailure::Changed)
            copyFailure_ = CopyFailure::File;   // our own copy, not the print file
    }
    // The print file must be the one it was when the document started, read or copied whole.
    FileIdentity after;
    if (ok && known && (!after.read(printFile) || !(after == before)))
        ok = false, copyFailure_ = CopyFailure::Changed;
    if (!ok)
        return failDocument(copyFailure_, printFile);
    int job = 0;
    if (!spooler_.finishDocument(job)) {
        ShowSystemError();
        return 0;
    }
    lastJob_ = job;
    return 1;
}

bool SendLoop::locateMissing(std::string& path)
{
    FileDialogRequest request;
    request.filter = strings_.text(IdsPrintFileFilter);
    request.initialName = path;
    request.title = formatText(strings_.text(IdsLocateFileTitle), printableName(path));
    request.mustExist = true;
    FileDialogResult chosen = dialogs_.openFileName(request);
    if (chosen.kind != FileDialogResult::Kind::Chosen || chosen.path.empty())
        return false;
    path = chosen.path;   // for this send only; the list keeps its entry
    return true;
}

// One entry of the file list, from locating it to its line on the status line. Stops the loop
// (clears `sending`) when the header cannot be written.
void SendLoop::sendEntry(const std::string& entry, int settingsMode, SendOutcome& outcome)
{
    SendFileResult fileResult;
    fileResult.listedPath = entry;
    std::string path = entry;
    if (!exists(path)) {
        bool located = locateMissing(path);
        if (!sending_.load() || isAborting())
            return;   // reported with the entries the send did not reach
        if (!located) {
            fileResult.state = SendFileResult::State::Skipped;
            outcome.files.push_back(fileResult);
            return;
        }
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
        dialogs_.messageBox(strings_.text(IdsHeaderFailed), MessageIcon::Stop, MessageButtons::Ok);
        job_.refreshSheet();
        outcome.headerFailed = true;
        sending_.store(false);
        ReportFileResult(0, path);
        outcome.files.push_back(fileResult);
        return;
    }
    int result = SendFile(stagingPath, path, settingsMode);
    ::unlink(stagingPath.c_str());
    ReportFileResult(result, path);
    if (result) {
        fileResult.state = SendFileResult::State::Sent;
        followed_.push_back({outcome.files.size(), path, lastJob_, {SpoolerJobState::Kind::Waiting, {}}});
    }
    outcome.files.push_back(fileResult);
}

// Every entry the send did not reach gets its line: it was not sent.
void SendLoop::reportUnreached(const std::vector<std::string>& files, SendOutcome& outcome)
{
    for (std::size_t i = outcome.files.size(); i < files.size(); ++i) {
        ReportFileResult(0, files[i]);
        SendFileResult fileResult;
        fileResult.listedPath = files[i];
        outcome.files.push_back(fileResult);
    }
}

void SendLoop::reportJobEnd(const FollowedJob& followed)
{
    SendStringId id = followed.state.kind == SpoolerJobState::Kind::Aborted ? IdsJobAborted : IdsJobCancelled;
    dialogs_.statusText(formatText(strings_.text(id), {printableName(followed.path), printableName(followed.state.reason)}));
}

bool SendLoop::followJobs()
{
    lastFollow_ = std::chrono::steady_clock::now();
    bool open = false;
    for (FollowedJob& followed : followed_) {
        if (followed.state.isFinal())
            continue;
        if (followed.job <= 0) {
            followed.state = {SpoolerJobState::Kind::Gone, {}};   // the spooler gave nothing to follow
            continue;
        }
        SpoolerJobState state = spooler_.jobState(followed.job);
        // A spooler that cannot be asked now may answer later; what it said before stands.
        if (state.kind == SpoolerJobState::Kind::NoAnswer && followed.state.kind != SpoolerJobState::Kind::NoAnswer) {
            open = true;
            continue;
        }
        followed.state = state;
        if (state.kind == SpoolerJobState::Kind::Aborted || state.kind == SpoolerJobState::Kind::Cancelled)
            reportJobEnd(followed);
        open = open || !state.isFinal();
    }
    return open;
}

void SendLoop::waitForFinalStates()
{
    auto deadline = std::chrono::steady_clock::now() + finalStateWait;
    auto pause = std::chrono::milliseconds(5);
    while (followJobs() && !isAborting()) {
        // A small job on a local printer ends within milliseconds; a long one is asked less often.
        auto wake = std::min(std::chrono::steady_clock::now() + pause, deadline);
        while (std::chrono::steady_clock::now() < wake && !isAborting())
            std::this_thread::sleep_for(std::min(pause, std::chrono::milliseconds(20)));
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        pause = std::min(pause * 2, kLongestFollowPause);
    }
}

// The last line of every sent file after a wait: how its job ended, or that this is not known.
void SendLoop::reportFinalStates()
{
    for (const FollowedJob& followed : followed_) {
        SendStringId id = IdsJobStillWaiting;
        switch (followed.state.kind) {
        case SpoolerJobState::Kind::Aborted:
        case SpoolerJobState::Kind::Cancelled:
            continue;   // said when it was learned
        case SpoolerJobState::Kind::Completed: id = IdsJobCompleted; break;
        case SpoolerJobState::Kind::Gone:
        case SpoolerJobState::Kind::NoAnswer: id = IdsJobStateUnknown; break;
        case SpoolerJobState::Kind::Held: id = IdsJobHeld; break;
        case SpoolerJobState::Kind::Waiting: id = IdsJobStillWaiting; break;
        }
        dialogs_.statusText(formatText(strings_.text(id), printableName(followed.path)));
    }
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
    followed_.clear();
    lastFollow_ = std::chrono::steady_clock::now();
    sending_.store(true);
    for (const std::string& entry : files) {
        if (!sending_.load() || isAborting())
            break;
        sendEntry(entry, settingsMode, outcome);
        if (!followed_.empty() && std::chrono::steady_clock::now() - lastFollow_ >= kFollowInterval)
            followJobs();
    }
    outcome.aborted = isAborting();
    outcome.cancelled = !outcome.headerFailed && outcome.files.size() < files.size();
    // A file broken off in the middle has its line; the ones after it get theirs.
    reportUnreached(files, outcome);
    sending_.store(false);
    spooler_.closeQueue();
    removeWorkFolder();
    // The spooler holds every sent file: what it did with them so far, and with a wait, in the end.
    if (finalStateWait.count() > 0)
        waitForFinalStates();
    else
        followJobs();
    if (finalStateWait.count() > 0)
        reportFinalStates();
    for (const FollowedJob& followed : followed_)
        outcome.files[followed.index].job = followed.state;
    return outcome;
}

} // namespace spx
