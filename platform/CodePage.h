#pragma once
// Conversion between UTF-8 (the toolkit, the resource files) and Windows-1252 (records, job
// files and printer streams). Characters with no Windows-1252 form become '?'.

#include <string>

namespace spx {

std::string utf8ToAnsi(const std::string& utf8);
std::string ansiToUtf8(const std::string& ansi);

} // namespace spx
