#pragma once
// Conversion between UTF-8 (the toolkit, the resource files) and Windows-1252 (records, job
// files and printer streams). Characters with no Windows-1252 form become '?'.

#include <string>

namespace spx {

std::string utf8ToAnsi(const std::string& utf8);
// The exact conversion: false (and `ansi` unspecified) when `utf8` is not well-formed UTF-8 or
// holds a character that Windows-1252 has no byte for.
bool utf8ToAnsiExact(const std::string& utf8, std::string& ansi);
std::string ansiToUtf8(const std::string& ansi);
// `text` with every malformed UTF-8 sequence replaced by U+FFFD, so that it can be shown.
std::string validUtf8(const std::string& text);

} // namespace spx
