#pragma once
// Jobs, papers and command tables for the job header tests.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "CommandTable.h"
#include "JobStreamGenerator.h"
#include "PaperRecord.h"
#include "StringTable.h"

namespace spx::test {

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The test bundle: every command string is a tag naming its slot and its arguments, so a test
// can read the sequence of commands without knowing any printer language.
inline void addTagTable(StringTable& strings, int base)
{
    for (int slot = 1; slot <= kCommandSlots; ++slot) {
        SlotRole role = commandSlotRole(slot);
        std::string text;
        switch (role.kind) {
        case SlotKind::Line:
            text = "<" + std::to_string(slot);
            for (const char* a = role.arguments; *a; ++a)
                text += *a == 's' ? "|%s" : "|%ld";
            text += ">";
            if (slot != 6 && slot != 39 && slot != 131)   // prefix, and starts that get more appended
                text += "\n";
            break;
        case SlotKind::Word: text = "w" + std::to_string(slot); break;
        case SlotKind::Verbatim: text = slot == 54 ? "<54>" : "<" + std::to_string(slot) + ">\n"; break;
        case SlotKind::Unused: break;
        }
        if (slot == 5)
            text = "<5|%d>\n";
        if (!text.empty())
            strings.set(base + slot - 1, text);
    }
}

inline StringTable tagStrings()
{
    StringTable strings;
    addTagTable(strings, kCommandBasePostScript);
    addTagTable(strings, kCommandBasePcl);
    strings.set(IdsInterleaveType, "IType");
    strings.set(IdsInterleaveMedia, "IMedia");
    strings.set(IdsNoColour, "NoColour");
    strings.set(IdsNoWeight, "NoWeight");
    strings.set(IdsNoType, "NoType");
    strings.set(IdsIncludeFileMissing, "include file missing");
    strings.set(IdsRegisteredUser, "<user>");
    strings.set(IdsProofSetTimed, "<timed>\n");
    strings.set(IdsContinuation, "+ ");
    strings.set(IdsCommandRejected, "rejected");
    return strings;
}

inline StringTable shippedStrings()
{
    StringTable strings;
    std::string error;
    EXPECT_TRUE(strings.loadFromFolder(SPX_RESOURCE_DIR "/strings", error)) << error;
    return strings;
}

struct Paper {
    std::string name;
    int sizeCode;
    std::string colour, weight, type;
    int singleSided = 0;
};

inline void appendPaper(RecordArray& papers, const Paper& p)
{
    PaperRecord record;
    record.setName(p.name);
    record.setSizeCode(int16_t(p.sizeCode));
    record.setAttribute(1, p.colour);
    record.setAttribute(2, p.weight);
    record.setAttribute(3, p.type);
    record.setSingleSided(int16_t(p.singleSided));
    papers.Append(record.bytes);
}

// A job as the pages would leave it, with a small catalogue and an exception list.
struct TestJob {
    JobOptions options;
    RecordArray papers{PaperRecord::kSize};
    RecordArray exceptions{ExceptionRecord::kSize};
    OptionAvailability availability;
    std::string printFile = "/home/op/files/report.ps";
    int fileLanguage = 0;
    std::string user;

    explicit TestJob(int printerLanguage = 0)
    {
        const std::pair<Field, int> defaults[] = {
            {Field::printerLanguage, printerLanguage}, {Field::copies, 1}, {Field::collate, 1},
            {Field::paperIndex, 2}, {Field::outputExit, 4}, {Field::notPamphlet, 1},
            {Field::pamphletPages, 88}, {Field::proofSetMinutes, 5}, {Field::proofSetAction, 2},
            {Field::printRange, 1},
        };
        for (auto [field, value] : defaults)
            options.setNumber(field, value);
        appendPaper(papers, {"Job paper", 2, "White", "80 g", "Plain"});
        appendPaper(papers, {"Plain", 2, "White", "80 g", "Plain"});
        appendPaper(papers, {"Blue", 2, "Blue", "NoWeight", "NoType"});
        appendPaper(papers, {"Cover", 1, "NoColour", "250 g", "Cover"});
        appendPaper(papers, {"Letterhead", 2, "White", "90 g", "Letterhead", 1});
        appendPaper(papers, {"Tab", 8, "White", "160 g", "Tab", 1});
    }
    void set(Field field, int64_t value) { options.setNumber(field, value); }
    void setText(Field field, const std::string& text) { options.setText(field, text); }
    void addException(int position, const std::string& pages)
    {
        ExceptionRecord entry;
        entry.setPageList(pages);
        entry.setPaperPosition(int16_t(position));
        exceptions.Append(entry.bytes);
    }
    void computeAvailability() { availability = computeOptionAvailability(options); }

    GeneratorInput input(const StringTable& strings, IDialogs* dialogs = nullptr) const
    {
        GeneratorInput in;
        in.options = &options;
        in.papers = &papers;
        in.exceptions = &exceptions;
        in.strings = &strings;
        in.availability = availability;
        in.printFilePath = printFile;
        in.fileLanguage = fileLanguage;
        in.userFullName = user;
        in.dialogs = dialogs;
        return in;
    }
};

// A staging path in a private folder, removed with the object.
class StagingFolder {
public:
    StagingFolder()
    {
        char pattern[] = "/tmp/spx-header-XXXXXX";
        folder_ = mkdtemp(pattern) ? pattern : "/tmp";
    }
    ~StagingFolder() { std::system(("rm -rf '" + folder_ + "'").c_str()); }
    std::string path(const std::string& name = "staging.hdr") const { return folder_ + "/" + name; }

private:
    std::string folder_;
};

} // namespace spx::test
