// The profile reader and writer on arbitrary INI files. The first line of the input names the
// section and key to look up ("section<TAB>key"); the rest is the file.

#include <cstdint>
#include <string>

#include "FuzzFile.h"
#include "Profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = fuzzScratchPath(".ini");
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t lineEnd = input.find('\n');
    const std::string query = input.substr(0, lineEnd);
    const std::string content = lineEnd == std::string::npos ? std::string() : input.substr(lineEnd + 1);
    const size_t tab = query.find('\t');
    const std::string section = query.substr(0, tab);
    const std::string key = tab == std::string::npos ? std::string("Key") : query.substr(tab + 1);

    fuzzWriteFile(path, reinterpret_cast<const uint8_t*>(content.data()), content.size());
    spx::Profile::getString(path, section, key, "default", 64);
    spx::Profile::getInt(path, section, key, -1);
    for (const std::string& name : spx::Profile::sectionKeys(path, section))
        spx::Profile::getString(path, section, name, {});

    // A write, then the value must read back exactly as written.
    if (spx::Profile::writeString(path, section, key, "value 42")) {
        if (spx::Profile::getString(path, section, key, {}) != "value 42")
            __builtin_trap();
        spx::Profile::deleteKey(path, section, key);
    }
    spx::Profile::deleteSection(path, section);
    return 0;
}
