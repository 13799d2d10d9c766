#include "Profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>

#include "FileLock.h"

namespace spx {

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

std::string trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return {};
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

std::string lower(std::string s)
{
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool sectionName(const std::string& line, std::string& name)
{
    std::string t = trim(line);
    if (t.size() < 2 || t.front() != '[')
        return false;
    size_t close = t.find(']');
    if (close == std::string::npos)
        return false;
    name = trim(t.substr(1, close - 1));
    return true;
}

bool keyValue(const std::string& line, std::string& key, std::string& value)
{
    std::string t = trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#' || t[0] == '[')
        return false;
    size_t eq = t.find('=');
    if (eq == std::string::npos)
        return false;
    key = trim(t.substr(0, eq));
    value = trim(t.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return true;
}

// Anything that would break the line structure, or could not be read back as the same section
// and key, is refused rather than written.
bool writable(const std::string& section, const std::string& key, const std::string& value)
{
    auto breaksLine = [](const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; };
    return !(section.empty() || key.empty() || breaksLine(section) || breaksLine(key) || breaksLine(value)
             || section.find(']') != std::string::npos || key.find('=') != std::string::npos
             || trim(section) != section || trim(key) != key || key[0] == ';' || key[0] == '#' || key[0] == '[');
}

// The entries with a key given twice (in any case) reduced to its last value, at its first place.
ProfileEntries lastValuePerKey(const ProfileEntries& entries)
{
    ProfileEntries result;
    std::unordered_map<std::string, size_t> seen;
    for (const auto& entry : entries) {
        auto [at, added] = seen.emplace(lower(entry.first), result.size());
        if (added)
            result.push_back(entry);
        else
            result[at->second] = entry;
    }
    return result;
}

} // namespace

// --- ProfileFile ------------------------------------------------------------------------------

ProfileFile ProfileFile::fromText(const std::string& text)
{
    ProfileFile profile;
    profile.parse(text);
    profile.state_ = State::Read;
    return profile;
}

ProfileFile ProfileFile::read(const std::string& file)
{
    std::string content;
    if (readWholeFile(file, content))
        return fromText(content);
    ProfileFile profile;
    profile.state_ = errno == ENOENT ? State::Missing : State::Unreadable;
    return profile;
}

void ProfileFile::parse(const std::string& input)
{
    const bool bom = input.compare(0, 3, kByteOrderMark) == 0;
    const std::string content = bom ? input.substr(3) : input;
    bom_ = bom;
    lines_.clear();
    size_t firstBreak = content.find('\n');
    crlf_ = firstBreak != std::string::npos && firstBreak > 0 && content[firstBreak - 1] == '\r';
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) {
            lines_.push_back(content.substr(start));
            break;
        }
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines_.push_back(std::move(line));
        start = end + 1;
    }
    buildIndex();
}

// Sections and keys by lower-case name; the first of equal names is the one that counts.
void ProfileFile::buildIndex()
{
    sections_.clear();
    firstSection_.clear();
    std::string name, key, value;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (sectionName(lines_[i], name)) {
            if (!sections_.empty())
                sections_.back().end = i;
            sections_.push_back(Section{i, lines_.size(), {}, {}});
            firstSection_.emplace(lower(name), sections_.size() - 1);
        } else if (!sections_.empty() && keyValue(lines_[i], key, value)) {
            Section& section = sections_.back();
            section.firstByKey.emplace(lower(key), section.keys.size());
            section.keys.push_back({key, KeyLine{i, value}});
        }
    }
}

const ProfileFile::Section* ProfileFile::findSection(const std::string& name) const
{
    auto at = firstSection_.find(lower(name));
    return at == firstSection_.end() ? nullptr : &sections_[at->second];
}

const ProfileFile::KeyLine* ProfileFile::findKey(const std::string& sectionName, const std::string& key) const
{
    const Section* section = findSection(sectionName);
    if (!section)
        return nullptr;
    auto at = section->firstByKey.find(lower(key));
    return at == section->firstByKey.end() ? nullptr : &section->keys[at->second].second;
}

bool ProfileFile::hasSection(const std::string& section) const { return findSection(section) != nullptr; }

std::string ProfileFile::getString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue, size_t bufferSize) const
{
    const KeyLine* found = findKey(section, key);
    std::string value = found ? found->value : defaultValue;
    if (bufferSize > 0 && value.size() > bufferSize - 1)
        value.resize(bufferSize - 1);
    return value;
}

int ProfileFile::getInt(const std::string& section, const std::string& key, int defaultValue) const
{
    const KeyLine* found = findKey(section, key);
    if (!found)
        return defaultValue;
    const std::string& value = found->value;
    size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+'))
        negative = value[i++] == '-';
    // A key that is there but holds no number reads as 0, not as the default.
    if (i >= value.size() || !std::isdigit(static_cast<unsigned char>(value[i])))
        return 0;
    long long n = 0;
    for (; i < value.size() && std::isdigit(static_cast<unsigned char>(value[i])); ++i)
        n = std::min<long long>(n * 10 + (value[i] - '0'), INT_MAX);
    return int(negative ? -n : n);
}

std::vector<std::string> ProfileFile::sectionKeys(const std::string& section) const
{
    std::vector<std::string> keys;
    if (const Section* found = findSection(section))
        for (const auto& entry : found->keys)
            keys.push_back(entry.first);
    return keys;
}

bool ProfileFile::setStrings(const std::string& section, const ProfileEntries& given, bool replaceSection)
{
    for (const auto& [key, value] : given)
        if (!writable(section, key, value))
            return false;
    const ProfileEntries entries = lastValuePerKey(given);
    std::vector<std::string> added;
    const Section* found = findSection(section);
    size_t insertAt;
    if (!found) {
        if (!lines_.empty() && !trim(lines_.back()).empty())
            lines_.push_back("");
        lines_.push_back("[" + section + "]");
        insertAt = lines_.size();
        for (const auto& [key, value] : entries)
            added.push_back(key + "=" + value);
    } else if (replaceSection) {
        // The section keeps its place in the file; its body is what the caller gives.
        const bool sectionFollows = found->end < lines_.size();
        insertAt = found->header + 1;
        lines_.erase(lines_.begin() + long(insertAt), lines_.begin() + long(found->end));
        if (sectionFollows)
            lines_.insert(lines_.begin() + long(insertAt), "");
        for (const auto& [key, value] : entries)
            added.push_back(key + "=" + value);
    } else {
        // Keys already there change in place; new ones follow the section's last non-blank line.
        for (const auto& [key, value] : entries) {
            auto at = found->firstByKey.find(lower(key));
            if (at != found->firstByKey.end())
                lines_[found->keys[at->second].second.line] = key + "=" + value;
            else
                added.push_back(key + "=" + value);
        }
        insertAt = found->end;
        while (insertAt > found->header + 1 && trim(lines_[insertAt - 1]).empty())
            --insertAt;
    }
    lines_.insert(lines_.begin() + long(insertAt), added.begin(), added.end());
    buildIndex();
    return true;
}

bool ProfileFile::deleteKey(const std::string& section, const std::string& key)
{
    const KeyLine* found = findKey(section, key);
    if (!found)
        return false;
    lines_.erase(lines_.begin() + long(found->line));
    buildIndex();
    return true;
}

bool ProfileFile::deleteSection(const std::string& section)
{
    const Section* found = findSection(section);
    if (!found)
        return false;
    lines_.erase(lines_.begin() + long(found->header), lines_.begin() + long(found->end));
    buildIndex();
    return true;
}

std::string ProfileFile::text() const
{
    std::string out = bom_ ? kByteOrderMark : "";
    for (const std::string& line : lines_)
        out += line + (crlf_ ? "\r\n" : "\n");
    return out;
}

int ProfileFile::save(const std::string& file) const
{
    if (state_ == State::Unreadable)
        return EIO;
    return writeFileAtomically(file, text());
}

// --- the static functions ---------------------------------------------------------------------

std::string Profile::getString(const std::string& file, const std::string& section, const std::string& key,
                               const std::string& defaultValue, size_t bufferSize)
{
    return ProfileFile::read(file).getString(section, key, defaultValue, bufferSize);
}

int Profile::getInt(const std::string& file, const std::string& section, const std::string& key, int defaultValue)
{
    return ProfileFile::read(file).getInt(section, key, defaultValue);
}

std::vector<std::string> Profile::sectionKeys(const std::string& file, const std::string& section)
{
    return ProfileFile::read(file).sectionKeys(section);
}

bool Profile::writeString(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& value)
{
    return writeStrings(file, section, {{key, value}}, false);
}

bool Profile::writeStrings(const std::string& file, const std::string& section, const ProfileEntries& entries,
                           bool replaceSection)
{
    FileLock lock(file, FileLock::Mode::Exclusive);
    if (!lock.locked())
        return false;
    ProfileFile profile = ProfileFile::read(file);
    if (profile.state() == ProfileFile::State::Unreadable || !profile.setStrings(section, entries, replaceSection))
        return false;
    return profile.save(file) == 0;
}

bool Profile::deleteKey(const std::string& file, const std::string& section, const std::string& key)
{
    FileLock lock(file, FileLock::Mode::Exclusive);
    if (!lock.locked())
        return false;
    ProfileFile profile = ProfileFile::read(file);
    if (profile.state() == ProfileFile::State::Unreadable)
        return false;
    return !profile.deleteKey(section, key) || profile.save(file) == 0;
}

bool Profile::deleteSection(const std::string& file, const std::string& section)
{
    FileLock lock(file, FileLock::Mode::Exclusive);
    if (!lock.locked())
        return false;
    ProfileFile profile = ProfileFile::read(file);
    if (profile.state() == ProfileFile::State::Unreadable)
        return false;
    return !profile.deleteSection(section) || profile.save(file) == 0;   // nothing to delete: done
}

// --- whole files ------------------------------------------------------------------------------

bool readWholeFile(const std::string& path, std::string& content)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return false;
    }
    content.clear();
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            errno = error;
            return false;
        }
        if (n == 0)
            break;
        content.append(buffer, size_t(n));
    }
    ::close(fd);
    return true;
}

namespace {

long g_writeLimitForTesting = -1;
int g_writeErrorForTesting = EIO;

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// The file `path` finally names: symbolic links are followed one by one, so that a link to a
// file that does not exist yet leads to where that file will be. 0 or an errno.
int resolveTarget(const std::string& path, std::string& target)
{
    if (path.empty())
        return ENOENT;
    std::string current = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0) {
            if (errno != ENOENT)
                return errno;
            target = current;
            return 0;
        }
        if (!S_ISLNK(st.st_mode)) {
            target = current;
            return 0;
        }
        std::vector<char> link(PATH_MAX + 1);
        const ssize_t n = ::readlink(current.c_str(), link.data(), link.size() - 1);
        if (n <= 0)
            return n < 0 ? errno : ENOENT;
        const std::string next(link.data(), size_t(n));
        current = next[0] == '/' ? next : folderOf(current) + "/" + next;
    }
    return ELOOP;
}

// A new file beside `target`, made with O_EXCL under a random name. A replacement starts private
// and takes the old file's owner and mode; a new file gets 0666 less the user's umask.
int createTemporary(const std::string& target, const struct stat* old, std::string& name, int& fd)
{
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + ".";
        for (int i = 0; i < 6; ++i)
            name += kLetters[random() % (sizeof kLetters - 1)];
        fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, old ? 0600 : 0666);
        if (fd >= 0)
            break;
        if (errno != EEXIST)
            return errno;
    }
    if (fd < 0)
        return EEXIST;
    if (old) {
        if (old->st_uid != ::geteuid() || old->st_gid != ::getegid())
            (void)::fchown(fd, old->st_uid, old->st_gid);   // kept where the user may; else ours
        ::fchmod(fd, old->st_mode & 07777);
    }
    return 0;
}

int writeAll(int fd, const std::string& content)
{
    size_t written = 0;
    while (written < content.size()) {
        size_t chunk = content.size() - written;
        if (g_writeLimitForTesting >= 0) {
            if (written >= size_t(g_writeLimitForTesting))
                return g_writeErrorForTesting;
            chunk = std::min(chunk, size_t(g_writeLimitForTesting) - written);
        }
        ssize_t n = ::write(fd, content.data() + written, chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        written += size_t(n);
    }
    return ::fsync(fd) == 0 ? 0 : errno;
}

void syncFolder(const std::string& folder)
{
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

} // namespace

void setAtomicWriteFailureForTesting(long bytesBeforeFailure, int error)
{
    g_writeLimitForTesting = bytesBeforeFailure;
    g_writeErrorForTesting = error;
}

int writeFileAtomically(const std::string& path, const std::string& content)
{
    std::string target;
    if (int error = resolveTarget(path, target))
        return error;
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT)
        return errno;
    if (exists && !S_ISREG(old.st_mode))
        return EINVAL;
    // The rename needs only the folder's permission: a write-protected file is refused here.
    if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        return errno;

    std::string temp;
    int fd = -1;
    if (int error = createTemporary(target, exists ? &old : nullptr, temp, fd))
        return error;
    int error = writeAll(fd, content);
    if (::close(fd) != 0 && !error)
        error = errno;
    if (!error && ::rename(temp.c_str(), target.c_str()) != 0)
        error = errno;
    if (error) {
        ::unlink(temp.c_str());
        return error;
    }
    syncFolder(folderOf(target));
    return 0;
}

} // namespace spx
