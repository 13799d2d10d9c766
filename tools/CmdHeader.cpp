// spxjob header: the job header that a send of a print file with a job would put before the file,
// written to a file of the operator's choice (the preview of what the printer receives).

#include <iostream>

#include "JobStreamGenerator.h"
#include "SpxDoc.h"
#include "ToolCommand.h"
#include "rules/ItemDisabling.h"

namespace spx::tool {

namespace {

int header(ToolContext& context)
{
    std::vector<std::string> positional;
    std::string output;
    int fileLanguage = -1;
    const auto& args = context.args;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size()) {
            output = args[++i];
        } else if (args[i] == "--file-language" && i + 1 < args.size()) {
            const std::string& language = args[++i];
            fileLanguage = language == "ps" ? FileLanguagePostScript : language == "pcl" ? FileLanguagePcl
                         : language == "pdf" ? FileLanguagePdf : -2;
            if (fileLanguage == -2) {
                std::cerr << "spxjob: --file-language takes ps, pcl or pdf\n";
                return 2;
            }
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 2 || output.empty()) {
        std::cerr << "usage: spxjob header [--config DIR] JOBFILE PRINTFILE [--file-language ps|pcl|pdf] -o OUT\n";
        return 2;
    }
    CSpxDoc doc(context.config, context.dialogs);
    if (!doc.OnNewDocument() || !doc.OnOpenDocument(positional[0]))
        return 1;
    if (fileLanguage < 0)
        fileLanguage = doc.GetFileLanguage();
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
    const GeneratorResult result = generator.Generate(doc, positional[1], output, fileLanguage, locks,
                                                      &context.dialogs, loginUserFullName());
    if (result != GeneratorResult::Ok)
        std::cerr << "spxjob: the job header was not written: " << generatorResultText(result) << "\n";
    return static_cast<int>(result);
}

ToolCommandRegistrar headerCommand({"header",
                                    "header JOBFILE PRINTFILE [--file-language ps|pcl|pdf] -o OUT   write the job header a send would write",
                                    header});

} // namespace
} // namespace spx::tool
