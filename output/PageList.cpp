#include "PageList.h"

#include <algorithm>
#include <vector>

#include "CommandTable.h"

namespace spx {

namespace {

bool allDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Page numbers are 32-bit; a longer run of digits is not a number here.
bool parseNumber(std::string_view s, long long& value)
{
    if (!allDigits(s) || s.size() > 10)
        return false;
    value = 0;
    for (char c : s)
        value = value * 10 + (c - '0');
    return value <= 0xFFFFFFFFLL;
}

// "a..b": a number, one or more dots, a number.
bool parseRange(std::string_view token, long long& first, long long& last)
{
    size_t dot = token.find('.');
    if (dot == std::string_view::npos || dot == 0)
        return false;
    size_t afterDots = token.find_first_not_of('.', dot);
    if (afterDots == std::string_view::npos)
        return false;
    return parseNumber(token.substr(0, dot), first) && parseNumber(token.substr(afterDots), last);
}

std::vector<std::string_view> splitAtSpaces(std::string_view text)
{
    std::vector<std::string_view> tokens;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t start = text.find_first_not_of(' ', pos);
        if (start == std::string_view::npos)
            break;
        size_t end = text.find(' ', start);
        if (end == std::string_view::npos)
            end = text.size();
        tokens.push_back(text.substr(start, end - start));
        pos = end;
    }
    return tokens;
}

} // namespace

std::string normalisePageList(std::string_view list)
{
    std::string out;
    out.reserve(list.size() + 16);
    for (size_t i = 0; i < list.size(); ++i) {
        char c = list[i];
        if (c == ',') {
            if (i == 0 || list[i - 1] != ',')
                out += ' ';
        } else if (list.substr(i, 4) == "last") {
            out += "lastpage";
            i += 3;
        } else {
            out += c;
        }
    }
    return out;
}

bool expandPageList(std::string_view normalised, const PageListExpansion& how, std::string& out)
{
    out.clear();
    std::string carets;
    std::vector<std::string_view> kept;
    for (std::string_view token : splitAtSpaces(normalised)) {
        long long n = 0;
        if (token.size() > 1 && token.front() == '^' && parseNumber(token.substr(1), n)) {
            carets += std::to_string(n - 1) + ' ';
        } else if (token.size() > 1 && token.back() == '^' && parseNumber(token.substr(0, token.size() - 1), n)) {
            carets += std::to_string(n) + ' ';
        } else {
            kept.push_back(token);
        }
    }
    if (how.caretsOnly) {
        out = std::move(carets);
        return true;
    }

    std::string plain;   // kept text since the last range
    auto flushPlain = [&] {
        if (!plain.empty()) {
            out += formatCommand(how.continuationLine, {plain, ""});
            plain.clear();
        }
    };
    const long long step = how.stepByTwo ? 2 : 1;
    for (std::string_view token : kept) {
        long long first = 0, last = 0;
        if (!parseRange(token, first, last)) {
            if (!plain.empty())
                plain += ' ';
            plain.append(token);
            continue;
        }
        flushPlain();
        for (long long m = std::max(first, 1LL); m <= last; m += 20) {
            out += how.numberLineStart;
            long long spanEnd = std::min(m + 19, last);
            // Each page goes onto the line as "%s %ld ": a space, the number and a space.
            for (long long page = m; page <= spanEnd; page += step) {
                out += ' ';
                out += std::to_string(page);
                out += ' ';
            }
            out += '\n';
            if (out.size() > how.byteBudget)
                return false;
        }
    }
    flushPlain();
    return out.size() <= how.byteBudget;
}

} // namespace spx
