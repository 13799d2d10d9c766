#pragma once
// The job header as it is composed, in memory: the rules every line of it follows, and one cap
// on its size checked as it grows. Nothing here touches a file.
//
// Lines of a PCL file's header must stay PJL lines: with a prefix set (command 6, a PJL
// comment), a line that begins with "%" gets it, and so does a line of the command table that is
// neither a PJL command nor an escape sequence. Long lines are cut at the last space at or before
// byte 255 and continued on lines that begin with the continuation start.

#include <cstddef>
#include <string>
#include <string_view>

namespace spx {

class HeaderWriter {
public:
    explicit HeaderWriter(size_t byteCap) : byteCap_(byteCap) {}

    // Command 6 while the print file is PCL; empty otherwise (no prefix at all).
    void setPrefix(std::string prefix) { prefix_ = std::move(prefix); }
    // Command 130 (two texts) for free list text, and the start of every continued long line.
    void setContinuation(std::string line, std::string start);

    // Bytes as they stand.
    void raw(std::string_view bytes);
    // One or more lines; `fromTable` when they come from the command table (see above).
    void line(std::string_view text, bool fromTable = true);
    // A newline unless the header already ends with one.
    void ensureNewLine();
    // A text made of expanded page-list commands, written in lines (see the definition).
    void wrapped(const std::string& text);

    // True once a write would have passed the cap; nothing more is added after that.
    bool overflowed() const { return overflowed_; }
    // Bytes still allowed.
    size_t room() const { return overflowed_ ? 0 : byteCap_ - text_.size(); }
    const std::string& text() const { return text_; }

private:
    void lines(std::string_view text);
    void longLine(std::string_view line);

    size_t byteCap_;
    std::string text_;
    bool overflowed_ = false;
    std::string prefix_;
    std::string continuationLine_;
    std::string continuationStart_;
};

} // namespace spx
