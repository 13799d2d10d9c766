#include "CodePage.h"

#include <cstdint>

namespace spx {

namespace {
// Windows-1252 bytes 0x80..0x9F. The five unassigned bytes stand for the control characters of
// the same number, as the system's own conversion does, so that every byte survives a round trip.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void appendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at `i`; a malformed byte decodes as U+FFFD and is skipped alone.
uint32_t nextCodePoint(const std::string& s, size_t& i)
{
    uint8_t lead = uint8_t(s[i]);
    int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0) {
        ++i;
        return 0xFFFD;
    }
    uint32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        size_t at = i + size_t(k);
        if (at >= s.size() || (uint8_t(s[at]) & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (uint8_t(s[at]) & 0x3F);
    }
    i += size_t(extra) + 1;
    // Overlong forms (a hidden zero byte or quote), surrogates and values past U+10FFFF are not
    // characters; they become the replacement character rather than the byte they imitate.
    static constexpr uint32_t kSmallest[4] = {0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[extra] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        return 0xFFFD;
    return cp;
}

// The Windows-1252 byte of a character; false when there is none.
bool ansiByte(uint32_t cp, char& byte)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        byte = char(cp);
        return true;
    }
    for (int k = 0; k < 32; ++k)
        if (kHighControls[k] == cp) {
            byte = char(0x80 + k);
            return true;
        }
    return false;
}
} // namespace

std::string utf8ToAnsi(const std::string& utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char byte = '?';
        ansiByte(nextCodePoint(utf8, i), byte);
        out += byte;
    }
    return out;
}

bool utf8ToAnsiExact(const std::string& utf8, std::string& ansi)
{
    ansi.clear();
    ansi.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char byte;
        // U+FFFD itself has no Windows-1252 byte, so a malformed sequence fails here too.
        if (!ansiByte(nextCodePoint(utf8, i), byte))
            return false;
        ansi += byte;
    }
    return true;
}

std::string ansiToUtf8(const std::string& ansi)
{
    std::string out;
    out.reserve(ansi.size() + ansi.size() / 8);
    for (unsigned char c : ansi) {
        if (c >= 0x80 && c < 0xA0)
            appendUtf8(out, kHighControls[c - 0x80]);
        else
            appendUtf8(out, c);
    }
    return out;
}

std::string validUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();)
        appendUtf8(out, nextCodePoint(text, i));
    return out;
}

} // namespace spx
