// The paper catalogue loader on arbitrary paper definitions files: every load either succeeds
// with a catalogue the program can use or is refused, and a loaded catalogue saves and reads back
// with the same papers.

#include <cstdint>
#include <memory>
#include <string>

#include "Configuration.h"
#include "FuzzFile.h"
#include "PaperCatalogue.h"
#include "Profile.h"
#include "SpxDoc.h"

namespace {
struct Fixture {
    spx::Configuration config;
    spx::ScriptedDialogs dialogs;
    std::unique_ptr<spx::CSpxDoc> doc;

    Fixture()
    {
        config.folder = fuzzScratchPath("-catalogue");
        std::string error, shipped;
        if (!config.strings.loadFromFolder(SPX_RESOURCE_DIR "/strings", error)
            || !spx::readWholeFile(SPX_CONFIG_DIR "/papers.ini", shipped))
            __builtin_trap();
        std::system(("mkdir -p '" + config.folder + "'").c_str());
        fuzzWriteFile(config.paperDefinitionsPath(), reinterpret_cast<const uint8_t*>(shipped.data()), shipped.size());
        doc = std::make_unique<spx::CSpxDoc>(config, dialogs);
        if (!doc->OnNewDocument())
            __builtin_trap();
    }
};

// A name as it is written: line breaks become spaces.
std::string written(std::string name)
{
    for (char& c : name)
        if (c == '\r' || c == '\n')
            c = ' ';
    return name;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Fixture f;
    f.dialogs.shown.clear();
    spx::CSpxDoc& doc = *f.doc;
    spx::PaperCatalogue catalogue(doc);
    const spx::ProfileFile input = spx::ProfileFile::fromText(std::string(reinterpret_cast<const char*>(data), size));
    if (!catalogue.LoadValueLists(input) || !catalogue.LoadPaperCatalogue(input))
        return 0;
    const int count = doc.PaperCount();
    if (count > spx::PaperCatalogue::kMaxPapers || (count >= 2 && (doc.GetPaperIndex() < 2 || doc.GetPaperIndex() > count)))
        __builtin_trap();
    if (!catalogue.SavePaperCatalogue())
        __builtin_trap();
    std::vector<std::string> names;
    for (int p = 1; p <= count; ++p)
        names.push_back(written(doc.PaperNameAt(p)));
    if (!catalogue.Load() || doc.PaperCount() != count)
        __builtin_trap();
    for (int p = 1; p <= count; ++p)
        if (doc.PaperNameAt(p) != names[size_t(p - 1)])
            __builtin_trap();
    return 0;
}
