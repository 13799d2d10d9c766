// spxjob show / new / set: job files on the command line, through the job document.

#include <algorithm>
#include <iostream>
#include <sstream>

#include "CodePage.h"
#include "FieldCheck.h"
#include "SpxDoc.h"
#include "ToolCommand.h"

namespace spx::tool {

namespace {

// A text of the job in double quotes, with quotes, backslashes and control bytes escaped.
std::string quoted(const std::string& ansi)
{
    std::string out;
    for (char c : ansiToUtf8(ansi)) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return "\"" + escapeControlBytes(out) + "\"";
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

RangeContext rangeContext(const CSpxDoc& doc) { return {doc.GetPrinterLanguage(), doc.PaperCount()}; }

bool refuse(const std::string& why)
{
    std::cerr << "spxjob: " << escapeControlBytes(why) << "\n";
    return false;
}

// FIELD=VALUE through the document's setters, once the value is checked against the field.
// False with a message for an unknown field or a value the field does not take.
bool applyAssignment(CSpxDoc& doc, const std::string& assignment, std::vector<Field>& assigned)
{
    const size_t eq = assignment.find('=');
    const auto field = eq == std::string::npos ? std::nullopt : fieldByName(assignment.substr(0, eq));
    if (!field)
        return refuse("not a FIELD=VALUE of the job options: " + assignment);
    const FieldInfo& info = fieldInfo(*field);
    if (!info.hasSetter)
        return refuse(std::string(info.name) + " is set by the program, not by the operator");
    FieldValue value;
    const std::string why = checkFieldValue(*field, std::string_view(assignment).substr(eq + 1), rangeContext(doc), value);
    if (!why.empty())
        return refuse(why);
    assigned.push_back(*field);
    if (*field == Field::paperIndex)
        doc.SetPaperIndex(static_cast<int>(value.number));
    else if (*field == Field::activePage)
        doc.SetActivePage(static_cast<int>(value.number));
    else if (info.type == FieldType::Text)
        doc.setText(*field, value.text);
    else
        doc.set(*field, value.number);
    return true;
}

// Every assignment of a command line, then the fields whose range depends on another one that
// changed (copies=70000 printerLanguage=1 is refused like the other order).
bool applyAssignments(CSpxDoc& doc, const std::vector<std::string>& assignments)
{
    std::vector<Field> assigned;
    for (const std::string& assignment : assignments)
        if (!applyAssignment(doc, assignment, assigned))
            return false;
    auto wasAssigned = [&assigned](Field f) { return std::find(assigned.begin(), assigned.end(), f) != assigned.end(); };
    const bool languageChanged = wasAssigned(Field::printerLanguage);
    for (size_t i = 0; i < kFieldCount; ++i) {
        const Field field = static_cast<Field>(i);
        const bool dependent = languageChanged && kJobFields[i].range == RangeRule::ByLanguage;
        if (kJobFields[i].type == FieldType::Text || !(wasAssigned(field) || dependent))
            continue;
        const std::string why = checkStoredNumber(field, doc.options(), rangeContext(doc));
        if (!why.empty())
            return refuse(why);
    }
    return true;
}

int show(ToolContext& context)
{
    CSpxDoc doc(context.config, context.dialogs);
    if (!doc.OnNewDocument() || !doc.OnOpenDocument(context.options.positional()[0]))
        return 1;
    printJob(doc, std::cout);
    return 0;
}

int create(ToolContext& context)
{
    CSpxDoc doc(context.config, context.dialogs);
    if (!doc.OnNewDocument())
        return 1;
    if (!applyAssignments(doc, context.options.positional()))
        return 2;
    return doc.OnSaveDocument(context.options.text("output")) ? 0 : 1;
}

int change(ToolContext& context)
{
    const std::vector<std::string>& args = context.options.positional();
    CSpxDoc doc(context.config, context.dialogs);
    // Opened and saved as the window does, so a read-only job file is refused, not replaced; the
    // file stays locked from the read to the write, so a concurrent set loses nothing.
    if (!doc.OnNewDocument() || doc.OpenJobFileForUpdate(args[0]) != 2)
        return 1;
    if (!applyAssignments(doc, std::vector<std::string>(args.begin() + 1, args.end())))
        return 2;
    return doc.DoFileSave() ? 0 : 1;
}

} // namespace

ToolCommand showCommand()
{
    return {"show", "JOBFILE", "print every option of a job file", {}, 1, 1, show};
}

ToolCommand newCommand()
{
    return {"new", "[FIELD=VALUE...]", "write a new job with the defaults and the given fields",
            {textOption("output", 'o', "JOBFILE", "the job file to write", true)}, 0, kAnyCount, create};
}

ToolCommand setCommand()
{
    return {"set", "JOBFILE FIELD=VALUE...", "change fields of a job file in place", {}, 1, kAnyCount, change};
}

} // namespace spx::tool
