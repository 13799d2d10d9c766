// spxjob header: the job header that a send of a print file with a job would put before the file,
// written to a file of the operator's choice (the preview of what the printer receives).

#include <iostream>

#include "JobStreamGenerator.h"
#include "SpxDoc.h"
#include "ToolCommand.h"
#include "rules/ItemDisabling.h"

namespace spx::tool {

namespace {

int languageOfName(const std::string& name)
{
    return name == "ps" ? FileLanguagePostScript : name == "pcl" ? FileLanguagePcl : FileLanguagePdf;
}

int header(ToolContext& context)
{
    const std::vector<std::string>& args = context.options.positional();
    CSpxDoc doc(context.config, context.dialogs);
    if (!doc.OnNewDocument() || !doc.OnOpenDocument(args[0]))
        return 1;
    const std::string& language = context.options.text("file-language");
    int fileLanguage = language.empty() ? doc.GetFileLanguage() : languageOfName(language);
    // As the send does: a PDF file goes to a PCL printer as PostScript.
    fileLanguage = effectiveFileLanguage(doc.GetPrinterLanguage(), fileLanguage);
    // The item-disabling rules switch controls off as they do in the window.
    ItemLockFlags locks;
    std::string rulesMessage;
    if (!itemLocksFromConfiguration(context.config, doc.options(), locks, rulesMessage)) {
        std::cerr << "spxjob: " << rulesMessage << "\n";
        return 1;
    }
    CJobStreamGenerator generator;
    const GeneratorResult result = generator.Generate(doc, args[1], context.options.text("output"), fileLanguage,
                                                      locks, &context.dialogs, loginUserFullName());
    if (result != GeneratorResult::Ok)
        std::cerr << "spxjob: the job header was not written: " << generatorResultText(result) << "\n";
    return static_cast<int>(result);
}

} // namespace

ToolCommand headerCommand()
{
    return {"header", "JOBFILE PRINTFILE", "write the job header a send would put before PRINTFILE",
            {choiceOption("file-language", {"ps", "pcl", "pdf"}, "the language of the print file (default: the job's)"),
             textOption("output", 'o', "OUT", "the file to write the header into", true)},
            2, 2, header};
}

} // namespace spx::tool
