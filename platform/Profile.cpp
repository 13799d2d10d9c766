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

namespace spx {

namespace {

std::string trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return {};
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool equalsNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The file as lines, with the line ranges of sections and keys worked out on demand.
struct IniLines {
    std::vector<std::string> lines;
    bool endsWithNewline = true;
    bool crlf = false;   // a file written with CR LF line ends keeps them

    void load(const std::string& content)
    {
        size_t firstBreak = content.find('\n');
        crlf = firstBreak != std::string::npos && firstBreak > 0 && content[firstBreak - 1] == '\r';
        size_t start = 0;
        while (start < content.size()) {
            size_t end = content.find('\n', start);
            if (end == std::string::npos) {
                lines.push_back(content.substr(start));
                endsWithNewline = false;
                break;
            }
            std::string line = content.substr(start, end - start);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line);
            start = end + 1;
        }
    }

    std::string text() const
    {
        std::string out;
        for (const std::string& line : lines)
            out += line + (crlf ? "\r\n" : "\n");
        return out;
    }

    static bool sectionName(const std::string& line, std::string& name)
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

    static bool keyValue(const std::string& line, std::string& key, std::string& value)
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

    // [first, end) of the lines after the section header; first = npos when missing.
    std::pair<size_t, size_t> section(const std::string& wanted) const
    {
        std::string name;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (!sectionName(lines[i], name) || !equalsNoCase(name, wanted))
                continue;
            size_t end = i + 1;
            while (end < lines.size() && !sectionName(lines[end], name))
                ++end;
            return {i + 1, end};
        }
        return {std::string::npos, std::string::npos};
    }

    size_t findKey(std::pair<size_t, size_t> range, const std::string& wanted, std::string* value) const
    {
        if (range.first == std::string::npos)
            return std::string::npos;
        std::string key, v;
        for (size_t i = range.first; i < range.second; ++i)
            if (keyValue(lines[i], key, v) && equalsNoCase(key, wanted)) {
                if (value)
                    *value = v;
                return i;
            }
        return std::string::npos;
    }
};

bool loadIni(const std::string& file, IniLines& ini)
{
    std::string content;
    if (!readWholeFile(file, content))
        return false;
    ini.load(content);
    return true;
}

} // namespace

bool readWholeFile(const std::string& path, std::string& content)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    content.clear();
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
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
} // namespace

void setAtomicWriteFailureForTesting(long bytesBeforeFailure, int error)
{
    g_writeLimitForTesting = bytesBeforeFailure;
    g_writeErrorForTesting = error;
}

int writeFileAtomically(const std::string& path, const std::string& content)
{
    std::string temp = path + ".XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0)
        return errno;
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0)
        ::fchmod(fd, old.st_mode & 07777);
    else
        ::fchmod(fd, 0644);
    size_t written = 0;
    int error = 0;
    while (written < content.size()) {
        size_t chunk = content.size() - written;
        if (g_writeLimitForTesting >= 0) {
            if (written >= size_t(g_writeLimitForTesting)) {
                error = g_writeErrorForTesting;
                break;
            }
            chunk = std::min(chunk, size_t(g_writeLimitForTesting) - written);
        }
        ssize_t n = ::write(fd, content.data() + written, chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            break;
        }
        written += size_t(n);
    }
    if (!error && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (!error && ::rename(name.data(), path.c_str()) != 0)
        error = errno;
    if (error)
        ::unlink(name.data());
    return error;
}

std::string Profile::getString(const std::string& file, const std::string& section, const std::string& key,
                               const std::string& defaultValue, size_t bufferSize)
{
    IniLines ini;
    std::string value;
    if (!loadIni(file, ini) || ini.findKey(ini.section(section), key, &value) == std::string::npos)
        value = defaultValue;
    if (bufferSize > 0 && value.size() > bufferSize - 1)
        value.resize(bufferSize - 1);
    return value;
}

int Profile::getInt(const std::string& file, const std::string& section, const std::string& key, int defaultValue)
{
    IniLines ini;
    std::string value;
    if (!loadIni(file, ini) || ini.findKey(ini.section(section), key, &value) == std::string::npos)
        return defaultValue;
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

namespace {
// Anything that would break the line structure, or could not be read back as the same section
// and key, is refused rather than written.
bool writable(const std::string& section, const std::string& key, const std::string& value)
{
    auto breaksLine = [](const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; };
    return !(section.empty() || key.empty() || breaksLine(section) || breaksLine(key) || breaksLine(value)
             || section.find(']') != std::string::npos || key.find('=') != std::string::npos
             || trim(section) != section || trim(key) != key || key[0] == ';' || key[0] == '#' || key[0] == '[');
}

// Sets one key inside an existing section: in place when it is there, else after the section's
// last non-blank line.
void setKey(IniLines& ini, const std::string& section, const std::string& key, const std::string& value)
{
    auto range = ini.section(section);
    const std::string line = key + "=" + value;
    if (size_t at = ini.findKey(range, key, nullptr); at != std::string::npos) {
        ini.lines[at] = line;
        return;
    }
    size_t insertAt = range.second;
    while (insertAt > range.first && trim(ini.lines[insertAt - 1]).empty())
        --insertAt;
    ini.lines.insert(ini.lines.begin() + long(insertAt), line);
}
} // namespace

bool Profile::writeString(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& value)
{
    return writeStrings(file, section, {{key, value}}, false);
}

bool Profile::writeStrings(const std::string& file, const std::string& section,
                           const std::vector<std::pair<std::string, std::string>>& entries, bool replaceSection)
{
    for (const auto& [key, value] : entries)
        if (!writable(section, key, value))
            return false;
    IniLines ini;
    loadIni(file, ini);
    auto range = ini.section(section);
    if (range.first == std::string::npos) {
        if (!ini.lines.empty() && !trim(ini.lines.back()).empty())
            ini.lines.push_back("");
        ini.lines.push_back("[" + section + "]");
        for (const auto& [key, value] : entries)
            ini.lines.push_back(key + "=" + value);
    } else {
        if (replaceSection) {
            // The section keeps its place in the file; its body is what the caller gives.
            const bool sectionFollows = range.second < ini.lines.size();
            ini.lines.erase(ini.lines.begin() + long(range.first), ini.lines.begin() + long(range.second));
            if (sectionFollows)
                ini.lines.insert(ini.lines.begin() + long(range.first), "");
        }
        for (const auto& [key, value] : entries)
            setKey(ini, section, key, value);
    }
    return writeFileAtomically(file, ini.text()) == 0;
}

bool Profile::deleteKey(const std::string& file, const std::string& section, const std::string& key)
{
    IniLines ini;
    if (!loadIni(file, ini))
        return true;
    size_t at = ini.findKey(ini.section(section), key, nullptr);
    if (at == std::string::npos)
        return true;
    ini.lines.erase(ini.lines.begin() + long(at));
    return writeFileAtomically(file, ini.text()) == 0;
}

bool Profile::deleteSection(const std::string& file, const std::string& section)
{
    IniLines ini;
    if (!loadIni(file, ini))
        return ::access(file.c_str(), F_OK) != 0;   // nothing to delete in a missing file
    auto range = ini.section(section);
    if (range.first == std::string::npos)
        return true;
    ini.lines.erase(ini.lines.begin() + long(range.first - 1), ini.lines.begin() + long(range.second));
    return writeFileAtomically(file, ini.text()) == 0;
}

std::vector<std::string> Profile::sectionKeys(const std::string& file, const std::string& section)
{
    std::vector<std::string> keys;
    IniLines ini;
    if (!loadIni(file, ini))
        return keys;
    auto range = ini.section(section);
    if (range.first == std::string::npos)
        return keys;
    std::string key, value;
    for (size_t i = range.first; i < range.second; ++i)
        if (IniLines::keyValue(ini.lines[i], key, value))
            keys.push_back(key);
    return keys;
}

} // namespace spx
