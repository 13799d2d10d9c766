// spxjob show / new / set: job files on the command line, through the job document.

#include <cstdio>
#include <iostream>
#include <sstream>

#include "CodePage.h"
#include "PageListCheck.h"
#include "SpxDoc.h"
#include "ToolCommand.h"

namespace spx::tool {

namespace {

std::string quoted(const std::string& ansi)
{
    std::string out = "\"";
    for (char c : ansiToUtf8(ansi)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

void printJob(const CSpxDoc& doc, std::ostream& out)
{
    for (size_t i = 0; i < kFieldCount; ++i) {
        const FieldInfo& info = kJobFields[i];
        const Field field = static_cast<Field>(i);
        out << info.name << " = ";
        if (info.type == FieldType::Text)
            out << quoted(doc.getText(field));
        else if (info.type == FieldType::UInt32)
            out << doc.options().unsignedNumber(field);
        else
            out << doc.get(field);
        out << "\n";
    }
    static const char* const kSlots[CSpxDoc::kStoredPaperNames] = {"paper", "statusPaper", "frontCoverPaper",
                                                                   "backCoverPaper", "separatorPaper", "headerPaper"};
    for (int slot = 0; slot < CSpxDoc::kStoredPaperNames; ++slot)
        out << "storedPaperName." << kSlots[slot] << " = " << quoted(doc.storedPaperNames[size_t(slot)]) << "\n";
    out << "exceptions = " << doc.ExceptionCount() << "\n";
    for (int i = 1; i <= doc.ExceptionCount(); ++i) {
        const auto entry = doc.GetException(i);
        out << "exception." << i << " = position " << entry->paperPosition() << ", kind " << entry->kind()
            << ", pages " << quoted(entry->pageList()) << ", paper " << quoted(entry->paperName()) << "\n";
    }
    out << "printerQueuePosition = " << doc.printerQueuePosition << "\n";
}

// FIELD=VALUE through the document's setters. False with a message for an unknown field.
bool applyAssignment(CSpxDoc& doc, const std::string& assignment)
{
    const size_t eq = assignment.find('=');
    const auto field = eq == std::string::npos ? std::nullopt : fieldByName(assignment.substr(0, eq));
    if (!field) {
        std::cerr << "spxjob: not a FIELD=VALUE of the job options: " << assignment << "\n";
        return false;
    }
    const std::string value = assignment.substr(eq + 1);
    const FieldInfo& info = fieldInfo(*field);
    if (*field == Field::paperIndex) {
        doc.SetPaperIndex(std::atoi(value.c_str()));
        return true;
    }
    if (*field == Field::activePage) {
        doc.SetActivePage(std::atoi(value.c_str()));
        return true;
    }
    if (!info.hasSetter) {
        std::cerr << "spxjob: " << info.name << " is set by the program, not by the operator\n";
        return false;
    }
    if (info.type == FieldType::Text) {
        if (const auto bad = checkPageListField(*field, utf8ToAnsi(value))) {
            std::cerr << "spxjob: " << *bad << "\n";
            return false;
        }
        doc.setText(*field, utf8ToAnsi(value));
        return true;
    }
    char* end = nullptr;
    const long long number = std::strtoll(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0') {
        std::cerr << "spxjob: " << info.name << " takes a number, not \"" << value << "\"\n";
        return false;
    }
    doc.set(*field, number);
    return true;
}

int show(ToolContext& context)
{
    if (context.args.size() != 1) {
        std::cerr << "usage: spxjob show JOBFILE\n";
        return 2;
    }
    CSpxDoc doc(context.config, context.dialogs);
    if (!doc.OnNewDocument() || !doc.OnOpenDocument(context.args[0]))
        return 1;
    printJob(doc, std::cout);
    return 0;
}

int create(ToolContext& context)
{
    std::string output;
    std::vector<std::string> assignments;
    for (size_t i = 0; i < context.args.size(); ++i) {
        if (context.args[i] == "-o" && i + 1 < context.args.size())
            output = context.args[++i];
        else
            assignments.push_back(context.args[i]);
    }
    if (output.empty()) {
        std::cerr << "usage: spxjob new -o JOBFILE [FIELD=VALUE ...]\n";
        return 2;
    }
    CSpxDoc doc(context.config, context.dialogs);
    if (!doc.OnNewDocument())
        return 1;
    for (const std::string& assignment : assignments)
        if (!applyAssignment(doc, assignment))
            return 2;
    return doc.OnSaveDocument(output) ? 0 : 1;
}

int change(ToolContext& context)
{
    if (context.args.empty()) {
        std::cerr << "usage: spxjob set JOBFILE FIELD=VALUE ...\n";
        return 2;
    }
    CSpxDoc doc(context.config, context.dialogs);
    const std::string& path = context.args[0];
    // Opened and saved as the window does, so a read-only job file is refused, not replaced.
    if (!doc.OnNewDocument() || doc.OpenJobFile(path) != 2)
        return 1;
    for (size_t i = 1; i < context.args.size(); ++i)
        if (!applyAssignment(doc, context.args[i]))
            return 2;
    return doc.DoFileSave() ? 0 : 1;
}

ToolCommandRegistrar showCommand({"show", "show JOBFILE            print every option of a job file", show});
ToolCommandRegistrar newCommand({"new", "new -o JOBFILE [FIELD=VALUE ...]   write a new job with the defaults", create});
ToolCommandRegistrar setCommand({"set", "set JOBFILE FIELD=VALUE ...        change a job file in place", change});

} // namespace
} // namespace spx::tool
