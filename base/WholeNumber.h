#pragma once
// Whole decimal numbers typed by a person: an optional minus sign and digits, nothing else.

#include <charconv>
#include <string_view>

namespace spx {

// False for an empty text, junk ("5x", " 5", "+5", "1e3") or a number beyond long long.
inline bool parseWholeNumber(std::string_view text, long long& value)
{
    long long parsed = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, parsed);
    if (text.empty() || error != std::errc() || stop != end)
        return false;
    value = parsed;
    return true;
}

} // namespace spx
