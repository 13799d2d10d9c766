// The resource bundle reader on arbitrary files: every file the bundle lists is read back.

#include <cstdint>
#include <string>

#include "FuzzFile.h"
#include "ResourceBundle.h"
#include "StringTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = fuzzScratchPath(".rcc");
    fuzzWriteFile(path, data, size);
    spx::ResourceBundle bundle;
    std::string error;
    if (!bundle.open(path, error))
        return 0;
    for (const char* folder : {"", "strings", "ui", "images"})
        for (const std::string& name : bundle.list(folder))
            bundle.file(std::string(folder) + "/" + name);
    bundle.file("ui/2611.ui");
    spx::StringTable table;
    table.loadFromBundle(bundle, error);
    return 0;
}
