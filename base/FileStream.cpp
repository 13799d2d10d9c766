#include "FileStream.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "Archive.h"

namespace spx {

namespace {

constexpr int64_t kReadUntilPiece = 1024;

std::string currentDirectory()
{
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer))
        return buffer;
    return "/";
}

ssize_t retryRead(int fd, void* buffer, size_t count)
{
    ssize_t n;
    do
        n = ::read(fd, buffer, count);
    while (n < 0 && errno == EINTR);
    return n;
}

ssize_t retryWrite(int fd, const void* buffer, size_t count)
{
    ssize_t n;
    do
        n = ::write(fd, buffer, count);
    while (n < 0 && errno == EINTR);
    return n;
}

} // namespace

// ---------------------------------------------------------------------------------------------

CFileSpec::CFileSpec() = default;
CFileSpec::~CFileSpec() = default;

bool CFileSpec::LoadName(CArchive& archive)
{
    uint16_t length = 0;
    std::string name;
    if (!archive.ReadTag("name") || !archive.ReadU16(length)) {
        lastError = FileBadPath;
        return false;
    }
    name.resize(length);
    if (!archive.ReadBytes(name.data(), length)) {
        lastError = FileBadPath;
        return false;
    }
    return SetName(name);
}

bool CFileSpec::StoreName(CArchive& archive) const
{
    if (path_.size() > 0xFFFF)
        return false;
    archive.WriteTag("name");
    archive.WriteU16(uint16_t(path_.size()));
    archive.WriteBytes(path_.data(), path_.size());
    return true;
}

void CFileSpec::Reset()
{
    nameChanging();
    lastError = FileOk;
    path_.clear();
    directory_.clear();
    drive_ = -1;
}

bool CFileSpec::SetName(const std::string& name)
{
    nameChanging();
    drive_ = -1;
    if (name.empty()) {
        path_.clear();
        directory_.clear();
        lastError = FileOk;
        return true;
    }
    // A name the system could never open is refused rather than cut.
    if (name.find('\0') != std::string::npos) {
        lastError = FileBadPath;
        return false;
    }
    std::string full;
    if (name[0] == '/') {
        full = name;
    } else {
        std::string cwd = currentDirectory();
        full = cwd == "/" ? "/" + name : cwd + "/" + name;
    }
    if (full.size() >= PATH_MAX) {
        lastError = FileBadPath;
        return false;
    }
    path_ = std::move(full);
    size_t slash = path_.rfind('/');
    directory_ = slash == 0 ? std::string("/") : path_.substr(0, slash);
    lastError = FileOk;
    return true;
}

bool CFileSpec::Assign(const CFileSpec& other)
{
    if (other.path_.empty()) {
        lastError = FileBadPath;
        return false;
    }
    std::string name = other.path_;
    uint32_t tag = other.typeTag_;
    if (!SetName(name))
        return false;
    typeTag_ = tag;
    return true;
}

bool CFileSpec::ResolveAgainst(const CFileSpec& base, const std::string& relativeName)
{
    if (relativeName.empty() || relativeName[0] == '/' || base.directory_.empty())
        return SetName(relativeName);
    const std::string& folder = base.directory_;
    return SetName(folder.back() == '/' ? folder + relativeName : folder + "/" + relativeName);
}

// ---------------------------------------------------------------------------------------------

CFileStream::CFileStream(const std::string& name, uint8_t mode) : openMode(mode)
{
    SetName(name);
}

CFileStream::~CFileStream()
{
    Close();
}

void CFileStream::nameChanging()
{
    Close();
}

bool CFileStream::GetTypeFromExtension(std::string& out)
{
    size_t slash = path_.rfind('/');
    size_t dot = path_.rfind('.');
    std::string extension;
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        extension = path_.substr(dot + 1);
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%4.4s", extension.c_str());
    out = buffer;
    lastError = FileOk;
    return true;
}

bool CFileStream::Unsupported()
{
    lastError = FileNotSupported;
    return false;
}

bool CFileStream::Create()
{
    if (path_.empty()) {
        lastError = FileNoName;
        return false;
    }
    if (isOpen()) {
        lastError = FileAlreadyOpen;
        return false;
    }
    int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        lastError = errno == EEXIST ? FileExists : FileNoName;
        return false;
    }
    ::close(fd);
    lastError = FileOk;
    return true;
}

bool CFileStream::Open()
{
    if (isOpen()) {
        lastError = FileAlreadyOpen;
        return false;
    }
    if (path_.empty()) {
        lastError = FileNoName;
        return false;
    }
    int flags = O_RDONLY;
    switch (openMode) {
    case FileOpenWrite: flags = O_WRONLY; break;
    case FileOpenReadWriteExclusive:
    case FileOpenReadWriteShared: flags = O_RDWR; break;
    case FileOpenReplace: flags = O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW; break;
    default: break;
    }
    // Non-blocking until the guard has seen the file: opening a FIFO without a writer would wait.
    if (regularFilesOnly)
        flags |= O_NONBLOCK;
    int fd = ::open(path_.c_str(), flags | O_CLOEXEC | O_NOCTTY, 0600);
    if (fd < 0) {
        lastError = FileNotOpen;
        return false;
    }
    if (!guardOpened(fd)) {
        ::close(fd);
        return false;
    }
    // Sharing among the program's own opens: the exclusive mode keeps every other open out,
    // and the other modes share with each other but not with an exclusive holder.
    const int lockMode = openMode == FileOpenReadWriteExclusive ? LOCK_EX : LOCK_SH;
    if (::flock(fd, lockMode | LOCK_NB) != 0) {
        ::close(fd);
        lastError = FileNotOpen;
        return false;
    }
    fd_ = fd;
    streamed_ = 0;
    lastError = FileOk;
    return true;
}

bool CFileStream::guardOpened(int fd)
{
    if (!regularFilesOnly && sizeLimit <= 0)
        return true;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        lastError = FileNotOpen;
        return false;
    }
    if (regularFilesOnly && !S_ISREG(st.st_mode)) {
        lastError = FileNotRegular;
        return false;
    }
    if (sizeLimit > 0 && S_ISREG(st.st_mode) && st.st_size > sizeLimit) {
        lastError = FileTooLarge;
        return false;
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status < 0 || ((status & O_NONBLOCK) && ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0)) {
        lastError = FileNotOpen;
        return false;
    }
    return true;
}

bool CFileStream::Close()
{
    if (isOpen()) {
        ::close(fd_);
        fd_ = -1;
    }
    streamed_ = 0;
    lastError = FileOk;
    return true;
}

bool CFileStream::GetLength(int64_t& length)
{
    if (!isOpen()) {
        lastError = FileNoName;
        return false;
    }
    off_t here = ::lseek(fd_, 0, SEEK_CUR);
    off_t end = here < 0 ? -1 : ::lseek(fd_, 0, SEEK_END);
    if (here < 0 || end < 0 || ::lseek(fd_, here, SEEK_SET) < 0) {
        lastError = FileIoError;
        return false;
    }
    length = end;
    lastError = FileOk;
    return true;
}

bool CFileStream::GetPosition(int64_t& position)
{
    if (!isOpen()) {
        lastError = FileNoName;
        return false;
    }
    off_t here = ::lseek(fd_, 0, SEEK_CUR);
    if (here < 0) {
        lastError = FileIoError;
        return false;
    }
    position = here;
    lastError = FileOk;
    return true;
}

bool CFileStream::SetLength(int64_t length)
{
    int64_t current = 0, position = 0;
    if (!GetPosition(position) || !GetLength(current))
        return false;
    if (length < 0) {
        lastError = FileIoError;
        return false;
    }
    if (length <= current) {
        // Shortened: the position ends at the new end, as a write of nothing there would leave it.
        if (::ftruncate(fd_, off_t(length)) != 0 || ::lseek(fd_, off_t(length), SEEK_SET) < 0) {
            lastError = FileIoError;
            return false;
        }
    } else {
        // Lengthened: the file really grows (zero-filled) and the position stays where it was.
        if (::ftruncate(fd_, off_t(length)) != 0 || ::lseek(fd_, off_t(position), SEEK_SET) < 0) {
            lastError = FileNotOpen;
            return false;
        }
    }
    lastError = FileOk;
    return true;
}

bool CFileStream::Seek(int64_t offset, int origin)
{
    int whence;
    switch (origin) {
    case FileSeekFromStart: whence = SEEK_SET; break;
    case FileSeekFromEnd: whence = SEEK_END; break;
    case FileSeekFromCurrent: whence = SEEK_CUR; break;
    default:
        lastError = FileOk;
        return false;
    }
    if (!isOpen()) {
        lastError = FileNotOpen;
        return false;
    }
    if (::lseek(fd_, off_t(offset), whence) < 0) {
        lastError = FileIoError;
        return false;
    }
    lastError = FileOk;
    return true;
}

bool CFileStream::readyForTransfer(const void* buffer, int64_t& count)
{
    if (!isOpen() || !buffer) {
        lastError = !isOpen() ? FileNotOpen : FileNullBuffer;
        count = 0;
        return false;
    }
    return true;
}

int64_t CFileStream::roomUnderLimit(int64_t count)
{
    if (sizeLimit <= 0)
        return count;
    off_t here = ::lseek(fd_, 0, SEEK_CUR);
    const int64_t position = here < 0 ? streamed_ : int64_t(here);
    return std::clamp<int64_t>(sizeLimit - position, 0, count);
}

bool CFileStream::moreToRead()
{
    char probe;
    if (retryRead(fd_, &probe, 1) != 1)
        return false;
    if (::lseek(fd_, -1, SEEK_CUR) < 0)
        ++streamed_;   // a stream cannot give the byte back; it is past the limit anyway
    return true;
}

bool CFileStream::readFully(char* out, int64_t wanted, int64_t& got)
{
    got = 0;
    while (got < wanted) {
        size_t piece = size_t(std::min<int64_t>(wanted - got, INT_MAX));
        ssize_t n = retryRead(fd_, out + got, piece);
        if (n < 0) {
            streamed_ += got;
            return false;
        }
        if (n == 0)
            break;
        got += n;
    }
    streamed_ += got;
    return true;
}

bool CFileStream::Read(void* buffer, int64_t& count)
{
    if (!readyForTransfer(buffer, count))
        return false;
    const int64_t wanted = roomUnderLimit(count);
    int64_t got = 0;
    const bool readable = readFully(static_cast<char*>(buffer), wanted, got);
    const bool clipped = wanted < count;
    count = got;
    if (readable && clipped && got == wanted && moreToRead()) {
        lastError = FileTooLarge;
        return false;
    }
    if (got == 0 && (wanted > 0 || clipped)) {
        lastError = FileIoError;
        return false;
    }
    lastError = FileOk;
    return true;
}

bool CFileStream::ReadToEnd(std::string& out)
{
    if (!isOpen()) {
        lastError = FileNotOpen;
        return false;
    }
    std::string rest;
    char block[64 * 1024];
    for (;;) {
        const int64_t wanted = roomUnderLimit(int64_t(sizeof block));
        int64_t got = 0;
        if (!readFully(block, wanted, got)) {
            lastError = FileIoError;
            return false;
        }
        rest.append(block, size_t(got));
        if (got < wanted)
            break;   // the end of the file
        if (wanted < int64_t(sizeof block)) {
            if (moreToRead()) {
                lastError = FileTooLarge;
                return false;
            }
            break;
        }
    }
    out += rest;
    lastError = FileOk;
    return true;
}

bool CFileStream::ReadUntil(void* buffer, int64_t& count, char delimiter)
{
    if (!readyForTransfer(buffer, count))
        return false;
    char* out = static_cast<char*>(buffer);
    const int64_t wanted = roomUnderLimit(count);
    int64_t got = 0;
    while (got < wanted) {
        int64_t piece = std::min(wanted - got, kReadUntilPiece);
        ssize_t n = retryRead(fd_, out + got, size_t(piece));
        if (n <= 0)
            break;
        if (const void* hit = std::memchr(out + got, delimiter, size_t(n))) {
            int64_t used = static_cast<const char*>(hit) - (out + got) + 1;
            // Give back what was read past the delimiter.
            if (used < n && ::lseek(fd_, off_t(used - n), SEEK_CUR) < 0) {
                count = got + n;
                lastError = FileIoError;
                return false;
            }
            count = got + used;
            streamed_ += count;
            lastError = FileOk;
            return true;
        }
        got += n;
    }
    streamed_ += got;
    if (wanted < count && got == wanted && moreToRead()) {
        count = got;
        lastError = FileTooLarge;
        return false;
    }
    const bool nothing = got == 0 && count > 0;
    count = got;
    if (nothing) {
        lastError = FileIoError;
        return false;
    }
    lastError = FileOk;
    return true;
}

bool CFileStream::Write(const void* buffer, int64_t& count)
{
    if (!readyForTransfer(buffer, count))
        return false;
    const int64_t wanted = count;
    if (roomUnderLimit(wanted) < wanted) {
        count = 0;
        lastError = FileTooLarge;
        return false;
    }
    int64_t done = 0;
    while (done < wanted) {
        size_t piece = size_t(std::min<int64_t>(wanted - done, INT_MAX));
        ssize_t n = retryWrite(fd_, static_cast<const char*>(buffer) + done, piece);
        if (n <= 0)
            break;
        done += n;
    }
    streamed_ += done;
    count = done;
    // A short write (a full disk) is a failure: the caller's file would silently lack its end.
    if (done < wanted) {
        lastError = FileIoError;
        return false;
    }
    lastError = FileOk;
    return true;
}

bool CFileStream::Flush()
{
    if (!isOpen()) {
        lastError = FileNotOpen;
        return false;
    }
    if (::fdatasync(fd_) != 0 && errno != EINVAL && errno != EROFS) {
        lastError = FileIoError;
        return false;
    }
    lastError = FileOk;
    return true;
}

} // namespace spx
