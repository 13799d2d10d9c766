// Job header generation: a typical job, and a worst case of long exception and chapter lists.
// Prints time per header and the bytes written (counter "bytes").

#include <benchmark/benchmark.h>

#include <string>
#include <unistd.h>

#include "JobStreamGenerator.h"
#include "PaperRecord.h"
#include "StringTable.h"

using namespace spx;

namespace {

const StringTable& strings()
{
    static StringTable table = [] {
        StringTable t;
        std::string error;
        t.loadFromFolder(SPX_RESOURCE_DIR "/strings", error);
        return t;
    }();
    return table;
}

struct Job {
    JobOptions options;
    RecordArray papers{PaperRecord::kSize};
    RecordArray exceptions{ExceptionRecord::kSize};

    explicit Job(int printerLanguage)
    {
        options.setNumber(Field::printerLanguage, printerLanguage);
        options.setNumber(Field::copies, 3);
        options.setNumber(Field::collate, 1);
        options.setNumber(Field::paperIndex, 2);
        options.setNumber(Field::plexMode, 1);
        options.setNumber(Field::outputExit, printerLanguage ? 1 : 5);
        options.setNumber(Field::notPamphlet, 1);
        options.setNumber(Field::frontCover, 1);
        options.setNumber(Field::frontCoverPaper, 3);
        options.setNumber(Field::statusMode, 1);
        options.setText(Field::jobText1040, "Quarterly report");
        options.setText(Field::emailAddress, "print-room@example.com");
        const char* names[] = {"Job paper", "A4 Plain 80", "A4 Blue 80", "A4 Cover 250", "A4 Letterhead 90", "A3 Plain 80"};
        for (const char* name : names) {
            PaperRecord record;
            record.setName(name);
            record.setSizeCode(2);
            record.setAttribute(1, "White");
            record.setAttribute(2, "80 g/m2");
            record.setAttribute(3, "Plain");
            papers.Append(record.bytes);
        }
        addException(3, "5..9 12 last");
    }
    void addException(int position, const std::string& pages)
    {
        ExceptionRecord entry;
        entry.setPageList(pages);
        entry.setPaperPosition(int16_t(position));
        exceptions.Append(entry.bytes);
    }
    GeneratorInput input() const
    {
        GeneratorInput in;
        in.options = &options;
        in.papers = &papers;
        in.exceptions = &exceptions;
        in.strings = &strings();
        in.availability = computeOptionAvailability(options);
        in.printFilePath = "/jobs/report.ps";
        in.userFullName = "Print Room";
        return in;
    }
};

void run(benchmark::State& state, const Job& job)
{
    const std::string path = "/tmp/spx-header-bench-" + std::to_string(getpid()) + ".hdr";
    CJobStreamGenerator generator;
    const GeneratorInput input = job.input();
    for (auto _ : state) {
        if (generator.Generate(input, path) != GeneratorResult::Ok)
            state.SkipWithError("generation failed");
    }
    state.counters["bytes"] = double(generator.bytesWritten());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(generator.bytesWritten()));
    unlink(path.c_str());
}

void TypicalPostScript(benchmark::State& state) { run(state, Job(0)); }
void TypicalPcl(benchmark::State& state) { run(state, Job(1)); }

// Several exceptions over pages 1..99999 in steps of 2, and a chapter list of 1024 characters.
void WorstCase(benchmark::State& state)
{
    Job job(0);
    for (int i = 0; i < state.range(0); ++i)
        job.addException(3 + i % 3, "1..99999 ^4 last");
    std::string chapters;
    for (int page = 1; chapters.size() < 1020; page += 7)
        chapters += std::to_string(page) + ",";
    chapters.resize(1023);
    job.options.setText(Field::chapterPages, chapters);
    run(state, job);
}

// Expansion alone grows with the number of pages.
void RangeLength(benchmark::State& state)
{
    Job job(0);
    job.addException(3, "1.." + std::to_string(state.range(0)));
    run(state, job);
}

} // namespace

BENCHMARK(TypicalPostScript)->Unit(benchmark::kMicrosecond);
BENCHMARK(TypicalPcl)->Unit(benchmark::kMicrosecond);
BENCHMARK(WorstCase)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(RangeLength)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
