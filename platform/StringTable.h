#pragma once
// The program's string table: numeric id -> text. Texts are kept in UTF-8 as written in the
// resource bundle; `ansi` gives the Windows-1252 bytes for anything that goes into a record, a
// job file or a printer stream. A missing id gives an empty text.

#include <map>
#include <string>
#include <vector>

namespace spx {

class ResourceBundle;

class StringTable {
public:
    // Parses one string file: lines of `id "text"` with C escapes; '#' comments and blank lines.
    // Returns false and describes the first bad line in `error`; lines before it are kept.
    bool parse(const std::string& content, std::string& error, const std::string& sourceName = {});
    // Every strings/*.txt file of the bundle.
    bool loadFromBundle(const ResourceBundle& bundle, std::string& error);
    // Every *.txt file of a folder (tests use the source folder directly).
    bool loadFromFolder(const std::string& folder, std::string& error);

    bool has(int id) const { return texts_.count(id) != 0; }
    const std::string& text(int id) const;   // UTF-8
    std::string ansi(int id) const;          // Windows-1252
    void set(int id, std::string utf8Text) { texts_[id] = std::move(utf8Text); }
    std::vector<int> ids() const;
    size_t size() const { return texts_.size(); }

private:
    std::map<int, std::string> texts_;
};

// Decodes a double-quoted C-escaped literal starting at `pos` (at the quote). Returns false on
// a malformed literal.
bool decodeQuoted(const std::string& line, size_t& pos, std::string& out);

} // namespace spx
