#include "HeaderWriter.h"

#include "CommandTable.h"

namespace spx {

namespace {

constexpr size_t kLineLimit = 255;

// Where a wrapped text's next "%" may begin a piece: past its first two characters, three when
// it begins with a line-end character.
size_t pieceSearchStart(std::string_view piece)
{
    return static_cast<unsigned char>(piece.front()) <= '\r' ? 3 : 2;
}

} // namespace

void HeaderWriter::setContinuation(std::string line, std::string start)
{
    continuationLine_ = std::move(line);
    continuationStart_ = std::move(start);
}

void HeaderWriter::raw(std::string_view bytes)
{
    if (bytes.empty() || overflowed_)
        return;
    if (bytes.size() > byteCap_ - text_.size()) {
        overflowed_ = true;
        return;
    }
    text_.append(bytes);
}

void HeaderWriter::ensureNewLine()
{
    if (!text_.empty() && text_.back() != '\n')
        raw("\n");
}

void HeaderWriter::line(std::string_view text, bool fromTable)
{
    if (text.empty())
        return;
    if (prefix_.empty()) {
        raw(text);
        return;
    }
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        end = end == std::string_view::npos ? text.size() : end + 1;
        std::string_view one = text.substr(pos, end - pos);
        const bool blank = one.front() == '\n' || one.front() == '\r';
        bool needsPrefix = one.front() == '%';
        if (fromTable && !blank && !needsPrefix)
            needsPrefix = one.substr(0, 4) != "@PJL" && one.front() != '\x1b';
        if (needsPrefix)
            raw(prefix_);
        raw(one);
        pos = end;
    }
}

// A text longer than 255 bytes is cut at the last space at or before byte 255; every further
// line begins with the continuation start.
void HeaderWriter::longLine(std::string_view text)
{
    if (!text.empty() && text.back() == '\n')
        text.remove_suffix(1);
    std::string current(text);
    size_t protectedPrefix = 0;   // a continuation line is never cut inside its own start
    while (current.size() > kLineLimit && !overflowed_) {
        size_t cut = current.rfind(' ', kLineLimit);
        size_t resume = cut + 1;
        if (cut == std::string::npos || cut <= protectedPrefix) {
            cut = kLineLimit;
            resume = kLineLimit;
        }
        line(current.substr(0, cut) + "\n");
        current = continuationStart_ + current.substr(resume);
        protectedPrefix = continuationStart_.size();
    }
    line(current + "\n");
}

// Every line of `text` on a line of its own, long lines continued.
void HeaderWriter::lines(std::string_view text)
{
    size_t pos = 0;
    while (pos < text.size() && !overflowed_) {
        size_t end = text.find('\n', pos);
        end = end == std::string_view::npos ? text.size() : end + 1;
        longLine(text.substr(pos, end - pos));
        pos = end;
    }
}

// A text with a "%" past its start is cut before every such "%", one line per piece (a first
// piece without any "%" becomes a continuation line). Otherwise a bare list (no "%", no line of
// its own yet) becomes one continuation line; the text is then written in lines.
void HeaderWriter::wrapped(const std::string& text)
{
    if (text.empty())
        return;   // the previous line has ended already: nothing to add
    const size_t skip = pieceSearchStart(text);
    if (text.size() <= skip || text.find('%', skip) == std::string::npos) {
        const bool bare = text.find('%') == std::string::npos && text.find('\n') == std::string::npos;
        lines(bare ? formatCommand(continuationLine_, {text, ""}) : text);
        return;
    }
    size_t start = 0;
    bool first = true;
    while (start < text.size() && !overflowed_) {
        std::string_view rest(text.data() + start, text.size() - start);
        const size_t from = pieceSearchStart(rest);
        const size_t next = rest.size() > from ? rest.find('%', from) : std::string_view::npos;
        std::string piece(rest.substr(0, next));
        if (first && piece.find('%') == std::string::npos)
            piece = formatCommand(continuationLine_, {piece, ""});
        first = false;
        lines(piece);
        if (next == std::string_view::npos)
            break;
        start += next;
    }
}

} // namespace spx
