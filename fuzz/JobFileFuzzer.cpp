// The job file reader on arbitrary bytes: the format module writes back exactly the bytes it
// parsed; every load either succeeds or is refused with the document left at usable values, and
// a loaded job saves and loads again.

#include <cstdint>
#include <memory>
#include <string>

#include "Configuration.h"
#include "FuzzFile.h"
#include "JobFileFormat.h"
#include "SpxDoc.h"

namespace {
struct Fixture {
    spx::Configuration config;
    spx::ScriptedDialogs dialogs;
    std::unique_ptr<spx::CSpxDoc> doc;
    std::string jobPath = fuzzScratchPath(".spx");
    std::string savedPath = fuzzScratchPath("-saved.spx");

    Fixture()
    {
        config.folder = SPX_CONFIG_DIR;
        std::string error;
        if (!config.strings.loadFromFolder(SPX_RESOURCE_DIR "/strings", error))
            __builtin_trap();
        doc = std::make_unique<spx::CSpxDoc>(config, dialogs);
        if (!doc->OnNewDocument())
            __builtin_trap();
    }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Fixture f;
    const spx::JobFileSignatures signatures{f.config.strings.ansi(spx::IdsSignatureA),
                                            f.config.strings.ansi(spx::IdsSignatureB)};
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    spx::JobFileValue value;
    const spx::JobFileParseResult parsed = spx::parseJobFile(bytes, signatures, value);
    if (parsed && spx::writeJobFile(value, signatures) != bytes.substr(0, parsed.consumed))
        __builtin_trap();
    if (!parsed && (parsed.offset > size || parsed.reason.empty()))
        __builtin_trap();
    f.dialogs.shown.clear();
    fuzzWriteFile(f.jobPath, data, size);
    const bool loaded = f.doc->OnOpenDocument(f.jobPath);
    const int paper = f.doc->GetPaperIndex();
    if (paper < 2 || paper > f.doc->PaperCount())
        __builtin_trap();
    for (int i = 1; i <= f.doc->ExceptionCount(); ++i)
        if (f.doc->GetException(i)->paperPosition() < 1 || f.doc->GetException(i)->paperPosition() > f.doc->PaperCount())
            __builtin_trap();
    if (loaded && f.doc->ExceptionCount() <= spx::CSpxDoc::kMaxStoredExceptions) {
        if (!f.doc->OnSaveDocument(f.savedPath) || !f.doc->OnOpenDocument(f.savedPath))
            __builtin_trap();
    }
    return 0;
}
