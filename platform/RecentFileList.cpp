#include "RecentFileList.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>

#include "Configuration.h"
#include "Profile.h"

namespace spx {

std::string RecentFileList::absolutePath(const std::string& path)
{
    if (path.empty())
        return path;
    std::filesystem::path p(path);
    if (p.is_relative()) {
        char cwd[PATH_MAX];
        if (::getcwd(cwd, sizeof cwd))
            p = std::filesystem::path(cwd) / p;
    }
    return p.lexically_normal().string();
}

void RecentFileList::load()
{
    entries_.clear();
    for (size_t i = 1; i <= kCapacity; ++i) {
        const std::string path = Profile::getString(profilePath_, kSection, kKeyStem + std::to_string(i), "");
        if (!path.empty() && std::find(entries_.begin(), entries_.end(), path) == entries_.end())
            entries_.push_back(path);
    }
}

bool RecentFileList::save() const
{
    std::vector<std::pair<std::string, std::string>> keys;
    for (size_t i = 0; i < entries_.size(); ++i)
        keys.emplace_back(kKeyStem + std::to_string(i + 1), entries_[i]);
    const std::string folder = parentFolder(profilePath_);
    if (!folderExists(folder) && !makeFolders(folder))
        return false;
    if (keys.empty())
        return !fileExists(profilePath_) || Profile::deleteSection(profilePath_, kSection);
    return Profile::writeStrings(profilePath_, kSection, keys, true);
}

void RecentFileList::add(const std::string& path)
{
    const std::string absolute = absolutePath(path);
    // A name with a line break cannot be kept in the profile; such a file is not remembered.
    if (absolute.empty() || absolute.find_first_of("\r\n") != std::string::npos)
        return;
    remove(absolute);
    entries_.insert(entries_.begin(), absolute);
    if (entries_.size() > kCapacity)
        entries_.resize(kCapacity);
}

bool RecentFileList::remove(const std::string& path)
{
    const auto found = std::find(entries_.begin(), entries_.end(), path);
    if (found == entries_.end())
        return false;
    entries_.erase(found);
    return true;
}

bool RecentFileList::remember(const std::string& path)
{
    load();
    add(path);
    return save();
}

RecentFileList::Choice RecentFileList::choose(size_t index, std::string& path)
{
    if (index >= entries_.size())
        return Choice::NoEntry;
    path = entries_[index];
    if (fileExists(path))
        return Choice::Open;
    load();   // the list on disk may have changed meanwhile
    remove(path);
    save();
    return Choice::Missing;
}

std::string RecentFileList::shortenedPath(const std::string& path, size_t width)
{
    if (path.size() <= width)
        return path;
    // Keep the file name whole and the first folder, then as many of the last folders as fit.
    const size_t nameStart = path.rfind('/') == std::string::npos ? 0 : path.rfind('/');
    const size_t firstEnd = path.find('/', 1);
    if (firstEnd == std::string::npos || firstEnd >= nameStart)
        return path;
    const std::string head = path.substr(0, firstEnd + 1) + "...";
    size_t tailStart = nameStart;
    while (tailStart > firstEnd) {
        const size_t previous = path.rfind('/', tailStart - 1);
        if (previous == std::string::npos || previous <= firstEnd
            || head.size() + (path.size() - previous) > width)
            break;
        tailStart = previous;
    }
    return head + path.substr(tailStart);
}

std::string RecentFileList::menuText(size_t index) const
{
    if (index >= entries_.size())
        return {};
    std::string text = "&" + std::to_string(index + 1) + " ";
    for (char c : shortenedPath(entries_[index], kMenuPathWidth)) {
        if (c == '&')
            text += '&';
        text += c;
    }
    return text;
}

} // namespace spx
