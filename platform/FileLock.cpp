#include "FileLock.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace spx {

namespace {

constexpr std::chrono::seconds kChaseLimit{60};

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

FileLock::FileLock(const std::string& path, Mode mode)
{
    const int operation = mode == Mode::Exclusive ? LOCK_EX : LOCK_SH;
    // A waiter wakes on the file its holder has just replaced, and a holder that goes on writing
    // may take the new file first, again and again: the replaced file is followed for as long as
    // that goes on, up to kChaseLimit, and the path is then reported busy.
    const auto deadline = std::chrono::steady_clock::now() + kChaseLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) {
            if (errno == ENOENT) {
                locked_ = true;
                return;
            }
            error_ = errno;
            return;
        }
        struct stat held {};
        if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
            notRegular_ = true;
            ::close(fd);
            return;
        }
        int rc;
        do
            rc = ::flock(fd, operation);
        while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            error_ = errno;
            ::close(fd);
            return;
        }
        struct stat now {};
        if (::stat(path.c_str(), &now) == 0 && sameFile(now, held)) {
            fd_ = fd;
            locked_ = true;
            return;
        }
        ::close(fd); // replaced (or removed) while we waited: lock what the path names now
    }
}

FileLock::~FileLock()
{
    if (fd_ >= 0)
        ::close(fd_); // closing the last descriptor releases the flock
}

} // namespace spx
