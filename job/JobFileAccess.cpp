#include "JobFileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace spx {

namespace {
constexpr int kMaxLinkHops = 40;

FileStamp stampOf(const struct stat& st)
{
    return {uint64_t(st.st_dev), uint64_t(st.st_ino), int64_t(st.st_size),
            int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
} // namespace

PathKind pathKind(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT ? PathKind::Missing : PathKind::Other;
    return S_ISREG(st.st_mode) ? PathKind::Regular : PathKind::Other;
}

std::string resolveSaveTarget(const std::string& path)
{
    std::string current = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        char target[4096];
        const ssize_t n = ::readlink(current.c_str(), target, sizeof target);
        if (n <= 0 || size_t(n) >= sizeof target)
            return current;
        const std::string next(target, size_t(n));
        current = next.front() == '/' ? next : folderOf(current) + next;
    }
    return current;   // a loop of links: the save refuses it as not a regular file
}

std::optional<FileStamp> FileStamp::of(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return stampOf(st);
}

JobFileRead readJobFileImage(const std::string& path, size_t limit, JobFileImage& image)
{
    image = JobFileImage{};
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        image.error = errno;
        return errno == ENOENT ? JobFileRead::Missing : JobFileRead::Failed;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return JobFileRead::NotRegular;
    }
    image.stamp = stampOf(st);
    char buffer[16384];
    JobFileRead result = JobFileRead::Ok;
    while (image.bytes.size() <= limit) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            image.error = errno;
            result = JobFileRead::Failed;
        }
        if (n <= 0)
            break;
        image.bytes.append(buffer, size_t(n));
    }
    ::close(fd);
    return result;
}

} // namespace spx
