#pragma once
// The job files used last, newest first, as the File menu shows them: at most four, kept in the
// profile (section "Recent File List", keys File1..File4) so that they outlive the program.

#include <string>
#include <vector>

namespace spx {

class RecentFileList {
public:
    static constexpr size_t kCapacity = 4;
    static constexpr const char* kSection = "Recent File List";
    static constexpr const char* kKeyStem = "File";
    // Menu texts longer than this show the start of the folder, "..." and the end of the path.
    static constexpr size_t kMenuPathWidth = 48;

    explicit RecentFileList(std::string profilePath) : profilePath_(std::move(profilePath)) {}

    const std::string& profilePath() const { return profilePath_; }
    const std::vector<std::string>& entries() const { return entries_; }

    // Reads the list from the profile: empty values, repeats and entries beyond four are dropped.
    void load();
    // Writes the list over the profile's section, creating the profile's folder if need be.
    bool save() const;

    // A job file that was opened or saved goes first; the same file further down moves up, and
    // the fifth falls off. Relative paths are made absolute against the current folder.
    void add(const std::string& path);
    bool remove(const std::string& path);
    // As add(), against the list another running copy of the program may have saved meanwhile:
    // reads the profile, adds, saves. False when the profile could not be written.
    bool remember(const std::string& path);

    enum class Choice { Open, Missing, NoEntry };
    // The operator chose entry `index` (0-based). A file that is still there is to be opened
    // (`path`); one that is gone leaves the list, which is saved, and the caller says so.
    Choice choose(size_t index, std::string& path);

    // "&1 /path/of/the.spx": the number as the menu letter, "&" of the path doubled so that it
    // shows as itself, long folders shortened with "..." (the file name is always whole).
    std::string menuText(size_t index) const;

    static std::string absolutePath(const std::string& path);
    static std::string shortenedPath(const std::string& path, size_t width);

private:
    std::string profilePath_;
    std::vector<std::string> entries_;
};

} // namespace spx
