#pragma once
// Private-profile functions on INI files, with the semantics the program relies on: sections and
// keys match without regard to case, missing values give the caller's default, integers are read
// from their leading digits, and a write keeps the rest of the file as it was. Every write goes
// to a temporary file beside the target that is then renamed over it, so a failed write never
// leaves a half-written profile.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace spx {

class Profile {
public:
    // Reads the value, or `defaultValue` when the file, section or key is missing. The value is
    // cut to bufferSize - 1 bytes as a fixed buffer would (0 = no limit).
    static std::string getString(const std::string& file, const std::string& section,
                                 const std::string& key, const std::string& defaultValue,
                                 size_t bufferSize = 0);
    // Leading optional sign and digits of the value; `defaultValue` when the key is missing,
    // 0 when it holds no number.
    static int getInt(const std::string& file, const std::string& section, const std::string& key,
                      int defaultValue);
    // Writes one key (creating file and section as needed). Returns false on failure.
    static bool writeString(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& value);
    // Several keys of one section in one atomic write: all are written or none. With
    // `replaceSection` the section's old keys go first, so it holds exactly these.
    static bool writeStrings(const std::string& file, const std::string& section,
                             const std::vector<std::pair<std::string, std::string>>& entries,
                             bool replaceSection = false);
    static bool deleteKey(const std::string& file, const std::string& section, const std::string& key);
    static bool deleteSection(const std::string& file, const std::string& section);
    static std::vector<std::string> sectionKeys(const std::string& file, const std::string& section);
};

// Atomically replaces `path` with `content` (temporary file in the same folder, fsync, rename).
// Returns 0 or the errno of the failing step.
int writeFileAtomically(const std::string& path, const std::string& content);
// Tests: the next atomic writes fail with `error` after `bytesBeforeFailure` bytes (-1: off).
void setAtomicWriteFailureForTesting(long bytesBeforeFailure, int error);
bool readWholeFile(const std::string& path, std::string& content);

} // namespace spx
