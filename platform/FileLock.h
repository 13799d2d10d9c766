#pragma once
// An advisory lock (flock) held on a file for a read-modify-write, so two processes that change
// the same job file or paper catalogue do not lose each other's changes.
//
// Files are replaced by an atomic rename, so a lock on the old file says nothing about the new
// one: after the lock is taken the path is checked to still name the locked file, and the lock
// is taken again on the new file when it does not (for up to a minute of files replaced one
// after another; then error() is EBUSY). A path that does not exist yet is "locked" with nothing
// to hold; a path that is not a regular file is never opened for long (no blocking on a FIFO)
// and reports notRegular(). Symbolic links are followed: the file they lead to is locked.

#include <string>

namespace spx {

class FileLock {
public:
    enum class Mode { Shared, Exclusive };

    FileLock(const std::string& path, Mode mode);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // True when the lock is held, or when the file does not exist (nothing to hold).
    bool locked() const { return locked_; }
    bool notRegular() const { return notRegular_; }
    // The errno of the failure when locked() is false and notRegular() is false.
    int error() const { return error_; }

private:
    int fd_ = -1;
    bool locked_ = false;
    bool notRegular_ = false;
    int error_ = 0;
};

} // namespace spx
