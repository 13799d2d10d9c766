#include "PageListCheck.h"

#include <cstdio>

#include "MemoryPool.h"
#include "PaperRecord.h"

namespace spx {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isLastWord(std::string_view text)
{
    static constexpr std::string_view kLast = "last";
    if (text.size() != kLast.size())
        return false;
    for (size_t i = 0; i < kLast.size(); ++i)
        if ((text[i] | 0x20) != kLast[i])
            return false;
    return true;
}

bool isLetter(char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

bool allowedMark(char c, PageListKind kind)
{
    switch (c) {
    case ' ':
    case ',':
    case '.': return true;
    case '^':
    case '-': return kind == PageListKind::Exception;
    default: return false;
    }
}

// A byte as an operator can read it in a message: printable ASCII as itself, anything else as
// a hexadecimal escape (a line end in a message would start a line of its own).
std::string shown(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F)
        return std::string(1, c);
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
    return escaped;
}

std::string allowedText(PageListKind kind)
{
    return kind == PageListKind::Chapters ? "a chapter list holds only digits, blanks, \",\" and \".\""
                                          : "an exception's page list holds only digits, blanks, \",\", \".\", \"^\", "
                                            "\"-\" and the word \"last\"";
}

} // namespace

std::optional<PageListProblem> checkPageList(std::string_view list, PageListKind kind)
{
    const size_t maxDigits = kind == PageListKind::Chapters ? 5 : 6;
    size_t i = 0;
    while (i < list.size()) {
        const char c = list[i];
        size_t run = i;
        if (isDigit(c)) {
            while (run < list.size() && isDigit(list[run]))
                ++run;
            if (run - i > maxDigits)
                return PageListProblem{i, "the number at position " + std::to_string(i + 1) + " has more than "
                                              + std::to_string(maxDigits) + " digits"};
        } else if (kind == PageListKind::Exception && isLetter(c)) {
            while (run < list.size() && isLetter(list[run]))
                ++run;
            if (!isLastWord(list.substr(i, run - i)))
                return PageListProblem{i, "\"" + std::string(list.substr(i, run - i)) + "\" at position "
                                              + std::to_string(i + 1) + " is not a page; " + allowedText(kind)};
        } else if (allowedMark(c, kind)) {
            ++run;
        } else {
            return PageListProblem{i, "the character \"" + shown(c) + "\" at position " + std::to_string(i + 1)
                                          + " does not belong in a page list; " + allowedText(kind)};
        }
        i = run;
    }
    return std::nullopt;
}

std::string pageListMessage(std::string_view field, const PageListProblem& problem)
{
    return std::string(field) + ": " + problem.reason;
}

std::optional<std::string> checkPageListField(Field field, std::string_view value)
{
    if (field != Field::chapterPages)
        return std::nullopt;
    if (auto problem = checkPageList(value, PageListKind::Chapters))
        return pageListMessage(fieldInfo(field).name, *problem);
    return std::nullopt;
}

std::optional<std::string> findBadPageList(const JobOptions& options, const RecordArray& exceptions)
{
    if (auto message = checkPageListField(Field::chapterPages, options.text(Field::chapterPages)))
        return message;
    if (exceptions.ElementSize() < ExceptionRecord::kSize)
        return std::nullopt;
    ExceptionRecord entry;
    for (int i = 1; i <= exceptions.Count(); ++i) {
        if (!exceptions.Get(i, entry.bytes))
            continue;
        if (auto problem = checkPageList(entry.pageList(), PageListKind::Exception))
            return pageListMessage("exception " + std::to_string(i), *problem);
    }
    return std::nullopt;
}

} // namespace spx
