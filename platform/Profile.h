#pragma once
// Private-profile functions on INI files, with the semantics the program relies on: sections and
// keys match without regard to case, missing values give the caller's default, integers are read
// from their leading digits, and a write keeps the rest of the file as it was. A leading UTF-8
// byte-order mark is skipped when reading (and kept when the file is written back).
//
// A ProfileFile is one reading of a file: every answer comes from that one version, however
// often the file is replaced meanwhile. The static Profile functions read the file afresh for
// each call; a write reads, changes and writes the file under an exclusive FileLock, so two
// processes writing the same file keep each other's keys.

#include <cstddef>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace spx {

using ProfileEntries = std::vector<std::pair<std::string, std::string>>;

class ProfileFile {
public:
    enum class State { Read, Missing, Unreadable };

    // An empty profile, as a file that does not exist yet.
    ProfileFile() = default;
    // The profile held in `text` (as if read from a file).
    static ProfileFile fromText(const std::string& text);
    // Reads `file` once. A file that does not exist gives an empty profile in state Missing; one
    // that exists but cannot be read (or is not a regular file) an empty one in state Unreadable.
    static ProfileFile read(const std::string& file);

    State state() const { return state_; }

    // The value, or `defaultValue` when the section or key is missing. The value is cut to
    // bufferSize - 1 bytes as a fixed buffer would (0 = no limit).
    std::string getString(const std::string& section, const std::string& key, const std::string& defaultValue,
                          size_t bufferSize = 0) const;
    // Leading optional sign and digits of the value; `defaultValue` when the key is missing,
    // 0 when it holds no number.
    int getInt(const std::string& section, const std::string& key, int defaultValue) const;
    std::vector<std::string> sectionKeys(const std::string& section) const;
    bool hasSection(const std::string& section) const;

    // Sets several keys of one section (creating it at the end of the file when missing). With
    // `replaceSection` the section's old keys go first, so it holds exactly these, in its old
    // place. False (and nothing changed) when a name or value would break the file.
    bool setStrings(const std::string& section, const ProfileEntries& entries, bool replaceSection = false);
    // Each returns whether anything was removed.
    bool deleteKey(const std::string& section, const std::string& key);
    bool deleteSection(const std::string& section);

    std::string text() const;
    // Writes text() to `file` with writeFileAtomically: 0 or an errno. A profile whose file could
    // not be read is never written (EIO): the write would lose what the file held.
    int save(const std::string& file) const;

private:
    struct KeyLine {
        size_t line;
        std::string value;
    };
    struct Section {
        size_t header;   // line of "[name]"
        size_t end;      // one past the section's last line
        std::vector<std::pair<std::string, KeyLine>> keys;        // in file order, as written
        std::unordered_map<std::string, size_t> firstByKey;       // lower-case key -> index in keys
    };

    void parse(const std::string& content);
    void buildIndex();
    const Section* findSection(const std::string& name) const;
    const KeyLine* findKey(const std::string& section, const std::string& key) const;

    std::vector<std::string> lines_;
    bool crlf_ = false;   // a file written with CR LF line ends keeps them
    bool bom_ = false;    // a file that began with a byte-order mark keeps it
    State state_ = State::Missing;
    std::vector<Section> sections_;
    std::unordered_map<std::string, size_t> firstSection_;   // lower-case name -> index in sections_
};

class Profile {
public:
    static std::string getString(const std::string& file, const std::string& section, const std::string& key,
                                 const std::string& defaultValue, size_t bufferSize = 0);
    static int getInt(const std::string& file, const std::string& section, const std::string& key,
                      int defaultValue);
    // Writes one key (creating file and section as needed). Returns false on failure.
    static bool writeString(const std::string& file, const std::string& section, const std::string& key,
                            const std::string& value);
    // Several keys of one section in one atomic write: all are written or none. With
    // `replaceSection` the section's old keys go first, so it holds exactly these. A file that
    // exists but cannot be read is left alone and the write fails.
    static bool writeStrings(const std::string& file, const std::string& section, const ProfileEntries& entries,
                             bool replaceSection = false);
    static bool deleteKey(const std::string& file, const std::string& section, const std::string& key);
    static bool deleteSection(const std::string& file, const std::string& section);
    static std::vector<std::string> sectionKeys(const std::string& file, const std::string& section);
};

// Atomically replaces the file `path` names with `content`: a temporary file beside it is
// written, synced and renamed over it. Returns 0 or an errno:
//   - A symbolic link is followed: the file it leads to is replaced (the link stays a link), also
//     when that file does not exist yet.
//   - EINVAL when the target exists and is not a regular file (a device, a FIFO, a folder).
//   - EACCES (or EROFS) when the target exists and the user may not write it; checked before
//     anything is created, so a write-protected file is never replaced.
//   - Otherwise the errno of the failing step (ENOENT for a missing folder, ENOSPC, EIO ...).
// A new file gets the permissions the user's umask allows (0666 & ~umask); a replaced file keeps
// the permissions of the file it replaces.
int writeFileAtomically(const std::string& path, const std::string& content);
// Tests: the next atomic writes fail with `error` after `bytesBeforeFailure` bytes (-1: off).
void setAtomicWriteFailureForTesting(long bytesBeforeFailure, int error);
// Reads a regular file whole. False for a missing or unreadable file and for anything that is not
// a regular file (opened without blocking, so a FIFO cannot hang the caller); errno says why.
bool readWholeFile(const std::string& path, std::string& content);

} // namespace spx
