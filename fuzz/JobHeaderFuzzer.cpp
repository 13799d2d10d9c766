// Job file -> job header, the include file disabled. The first byte chooses the way in:
//   bit 0 clear: the rest is a job file, loaded as Open loads it (page lists checked there);
//   bit 0 set:   the rest is page lists set straight on a loaded job (chapter list, then
//                exception lists, separated by 0xFF bytes), so the generator's own cleaning is
//                what stands; bits 1..4 choose the printer language and the plex mode.
// Bits 6..7 choose the print file's language.
// Every header must stay within its cap, and a header for a PCL printer must be PJL lines alone
// (the job has no custom text of the operator's own): nothing from a job can start a line.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "Configuration.h"
#include "FuzzFile.h"
#include "JobStreamGenerator.h"
#include "SpxDoc.h"

namespace {

struct Fixture {
    spx::Configuration config;
    spx::ScriptedDialogs dialogs;
    std::unique_ptr<spx::CSpxDoc> doc;
    std::string jobPath = fuzzScratchPath("-header.spx");
    std::string stagingPath = fuzzScratchPath("-header.hdr");

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

std::string readBack(const std::string& path)
{
    std::string bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char block[65536];
        for (size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;)
            bytes.append(block, n);
        std::fclose(file);
    }
    return bytes;
}

void expectPjlLines(const std::string& header)
{
    size_t pos = 0;
    bool first = true;
    while (pos < header.size()) {
        size_t end = header.find('\n', pos);
        std::string_view line(header.data() + pos, (end == std::string::npos ? header.size() : end) - pos);
        const bool pjl = line.substr(0, 4) == "@PJL" || (first && line.substr(0, 9) == "\x1b%-12345X");
        if (!pjl)
            __builtin_trap();
        first = false;
        pos = end == std::string::npos ? header.size() : end + 1;
    }
}

void setPageLists(spx::CSpxDoc& doc, std::string_view lists)
{
    size_t cut = lists.find('\xFF');
    doc.setText(spx::Field::chapterPages, lists.substr(0, cut));
    while (cut != std::string_view::npos && doc.ExceptionCount() < 64) {
        lists.remove_prefix(cut + 1);
        cut = lists.find('\xFF');
        doc.AddException(std::string(lists.substr(0, cut)), 2 + int(doc.ExceptionCount() % 3), 0);
    }
}

void generate(Fixture& f, int fileLanguage)
{
    spx::CJobStreamGenerator generator;
    std::remove(f.stagingPath.c_str());
    const spx::GeneratorResult result = generator.Generate(*f.doc, "/jobs/print file.ps", f.stagingPath, fileLanguage);
    if (result != spx::GeneratorResult::Ok && result != spx::GeneratorResult::MemoryExhausted)
        __builtin_trap();
    if (result != spx::GeneratorResult::Ok)
        return;
    const std::string header = readBack(f.stagingPath);
    if (header.size() > spx::kHeaderByteCap || header.size() != generator.bytesWritten())
        __builtin_trap();
    if (f.doc->GetPrinterLanguage() == 1 && f.doc->get(spx::Field::settingsMode) == 0)
        expectPjlLines(header);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Fixture f;
    if (size < 1)
        return 0;
    f.dialogs.shown.clear();
    const bool straight = data[0] & 1;
    if (straight) {
        if (!f.doc->OnOpenDocument(SPX_CORPUS_DIR "/job_file/v5.spx"))
            __builtin_trap();
        setPageLists(*f.doc, std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
        f.doc->set(spx::Field::printerLanguage, (data[0] >> 1) & 1);
        f.doc->set(spx::Field::plexMode, ((data[0] >> 2) & 0xF) % 6);
    } else {
        fuzzWriteFile(f.jobPath, data + 1, size - 1);
        if (!f.doc->OnOpenDocument(f.jobPath))
            return 0;
    }
    f.doc->setText(spx::Field::customIncludeFile, "");
    f.doc->setText(spx::Field::customText, "");
    generate(f, (data[0] >> 6) % 3);
    return 0;
}
