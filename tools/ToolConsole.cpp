// The terminal as the program's dialogs: messages on stderr, status lines on stdout.

#include <cstdio>
#include <iostream>

#include "ToolCommand.h"

namespace spx::tool {

MessageAnswer ConsoleDialogs::messageBox(const std::string& text, MessageIcon, MessageButtons buttons,
                                         const std::string& caption)
{
    if (!quiet)
        std::cerr << escapeControlBytes((caption.empty() ? "" : caption + ": ") + text, true) << "\n";
    return defaultAnswer(buttons);
}

void ConsoleDialogs::statusText(const std::string& text)
{
    if (!quiet)
        std::cout << escapeControlBytes(text) << std::endl;
}

namespace {

void appendEscaped(std::string& out, std::string_view bytes)
{
    for (char c : bytes) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(c));
        out += escaped;
    }
}

// The length of the well-formed UTF-8 sequence at text[i], or 0.
std::size_t utf8SequenceLength(const std::string& text, std::size_t i)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
            return 0;
    return length;
}

} // namespace

std::string escapeControlBytes(const std::string& text, bool keepLineBreaks)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            if ((byte >= 0x20 && byte != 0x7f) || (keepLineBreaks && byte == '\n'))
                out += text[i];
            else
                appendEscaped(out, std::string_view(text).substr(i, 1));
            ++i;
            continue;
        }
        // C1 controls (U+0080..U+009F) and bytes that are no UTF-8 are escaped too: a terminal
        // may take them for the start of a control sequence.
        const std::size_t length = utf8SequenceLength(text, i);
        const bool c1 = length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
        if (length == 0 || c1)
            appendEscaped(out, std::string_view(text).substr(i, length == 0 ? 1 : length));
        else
            out.append(text, i, length);
        i += length == 0 ? 1 : length;
    }
    return out;
}

} // namespace spx::tool
