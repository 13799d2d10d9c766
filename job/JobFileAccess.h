#pragma once
// How the job document reaches a job file on disk: what a path names, the file a save replaces
// when the path is a symbolic link, the identity of a version of a file, and reading a job file
// whole without ever blocking on something that is not a regular file.

#include <cstdint>
#include <optional>
#include <string>

namespace spx {

// What a path names once symbolic links are followed.
enum class PathKind { Missing, Regular, Other };
PathKind pathKind(const std::string& path);

// The file a save to `path` replaces: a symbolic link is followed (relative targets from the
// link's folder) to the file it names, so the link itself stays a link. A path that is not a
// link is returned as it is.
std::string resolveSaveTarget(const std::string& path);

// One version of a file: a save by someone else changes at least one of these.
struct FileStamp {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
    static std::optional<FileStamp> of(const std::string& path);
};

enum class JobFileRead { Ok, Missing, NotRegular, Failed };
struct JobFileImage {
    std::string bytes;
    FileStamp stamp;   // of the version that was read
    int error = 0;     // errno when Failed
};
// Reads at most `limit` + 1 bytes of a regular file; a FIFO or a device is never waited on.
JobFileRead readJobFileImage(const std::string& path, size_t limit, JobFileImage& image);

} // namespace spx
