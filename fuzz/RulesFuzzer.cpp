// The item-disabling file parser on arbitrary bytes, and the rules it accepts applied to the job
// setup pages of both model types.

#include <cstdint>
#include <string>

#include "StringTable.h"
#include "rules/ItemDisabling.h"
#include "rules/JobSetupRules.h"

namespace {

const spx::StringTable& strings()
{
    static const spx::StringTable table = [] {
        spx::StringTable t;
        std::string error;
        t.loadFromFolder(SPX_RESOURCE_DIR "/strings", error);
        return t;
    }();
    return table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    spx::ItemDisabling disabling;
    spx::RulesError error;
    if (!disabling.rules.parse(content, strings(), error)) {
        if (error.line <= 0 || spx::describe(error).empty())
            __builtin_trap();   // a refusal always names its line
        return 0;
    }
    for (int language : {0, 1}) {
        spx::JobOptions options;
        options.setNumber(spx::Field::printerLanguage, language);
        options.setNumber(spx::Field::outputExit, int(size % 7));
        options.setNumber(spx::Field::plexMode, int(size % 6));
        spx::JobSetupModels models;
        disabling.resetForModelChange();
        spx::applyRulesToJob(disabling, models, options, strings());
    }
    return 0;
}
