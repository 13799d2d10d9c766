// The string file parser on arbitrary text.

#include <cstdint>
#include <string>

#include "StringTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string content(reinterpret_cast<const char*>(data), size);
    spx::StringTable table;
    std::string error;
    table.parse(content, error, "fuzz.txt");
    for (int id : table.ids())
        table.ansi(id);
    return 0;
}
