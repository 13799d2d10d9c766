#include "StringTable.h"

#include <dirent.h>

#include <algorithm>
#include <cctype>

#include "CodePage.h"
#include "Profile.h"
#include "ResourceBundle.h"

namespace spx {

namespace {
const std::string kEmpty;

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
} // namespace

bool decodeQuoted(const std::string& line, size_t& pos, std::string& out)
{
    if (pos >= line.size() || line[pos] != '"')
        return false;
    out.clear();
    for (size_t i = pos + 1; i < line.size(); ++i) {
        char c = line[i];
        if (c == '"') {
            pos = i + 1;
            return true;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= line.size())
            return false;
        switch (line[i]) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case 'x': {
            int hi = i + 1 < line.size() ? hexValue(line[i + 1]) : -1;
            int lo = i + 2 < line.size() ? hexValue(line[i + 2]) : -1;
            if (hi < 0 || lo < 0)
                return false;
            out += char(hi * 16 + lo);
            i += 2;
            break;
        }
        default:
            return false;
        }
    }
    return false;
}

bool StringTable::parse(const std::string& content, std::string& error, const std::string& sourceName)
{
    size_t lineStart = 0;
    int lineNumber = 0;
    while (lineStart < content.size()) {
        size_t lineEnd = content.find('\n', lineStart);
        if (lineEnd == std::string::npos)
            lineEnd = content.size();
        std::string line = content.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t pos = line.find_first_not_of(" \t");
        if (pos == std::string::npos || line[pos] == '#')
            continue;
        size_t digitsEnd = pos;
        while (digitsEnd < line.size() && std::isdigit(static_cast<unsigned char>(line[digitsEnd])))
            ++digitsEnd;
        std::string text;
        size_t quote = line.find_first_not_of(" \t", digitsEnd);
        bool ok = digitsEnd > pos && digitsEnd - pos <= 6 && quote != std::string::npos && quote > digitsEnd
                  && decodeQuoted(line, quote, text);
        if (ok) {
            size_t rest = line.find_first_not_of(" \t", quote);
            ok = rest == std::string::npos || line[rest] == '#';
        }
        if (!ok) {
            error = (sourceName.empty() ? std::string("strings") : sourceName) + ":" + std::to_string(lineNumber)
                    + ": not a string line: " + line;
            return false;
        }
        int id = std::stoi(line.substr(pos, digitsEnd - pos));
        if (!texts_.emplace(id, std::move(text)).second) {
            error = (sourceName.empty() ? std::string("strings") : sourceName) + ":" + std::to_string(lineNumber)
                    + ": string " + std::to_string(id) + " is defined twice";
            return false;
        }
    }
    return true;
}

bool StringTable::loadFromBundle(const ResourceBundle& bundle, std::string& error)
{
    for (const std::string& name : bundle.list("strings")) {
        if (name.size() < 4 || name.compare(name.size() - 4, 4, ".txt") != 0)
            continue;
        auto content = bundle.file("strings/" + name);
        if (!content || !parse(*content, error, name))
            return false;
    }
    return true;
}

bool StringTable::loadFromFolder(const std::string& folder, std::string& error)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir) {
        error = "cannot read folder " + folder;
        return false;
    }
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0)
            names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        std::string content;
        if (!readWholeFile(folder + "/" + name, content) || !parse(content, error, name))
            return false;
    }
    return true;
}

const std::string& StringTable::text(int id) const
{
    auto it = texts_.find(id);
    return it == texts_.end() ? kEmpty : it->second;
}

std::string StringTable::ansi(int id) const { return utf8ToAnsi(text(id)); }

std::vector<int> StringTable::ids() const
{
    std::vector<int> result;
    result.reserve(texts_.size());
    for (const auto& [id, text] : texts_)
        result.push_back(id);
    return result;
}

} // namespace spx
