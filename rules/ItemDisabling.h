#pragma once
// The item-disabling rules: a text file that says, for each printer model type, which controls of
// the option pages are switched off, which entries of their drop-down lists cannot be chosen and
// how some check boxes are set. The rules act on the page models (rules/PageModel.h), so the
// window, the tests and spxjob apply the same file the same way.
//
//     ; comment
//     WPrinterID=IDS_PRINTER_OTHER          opens the block of a model type (at most 8 blocks)
//     WCtrlID=IDC_COMBO_STAPLE_MODE         starts a rule for a control (at most 100 per block)
//     WTabID=IDD_TAB_JOB_SETUP              the page whose refresh applies it
//     Type=0                                0 drop-down list, 2 check box, else a plain control
//     State=1                               1 enabled, 0 disabled
//     DisabledItems=IDS_Stapler_SaddleStitch   All, None, or entries (numbers or names), comma separated
//
// A file that breaks a rule is refused as a whole, with the number of the line.

#include <string>
#include <string_view>
#include <vector>

#include "rules/ItemLocks.h"
#include "rules/PageModel.h"

namespace spx {

class StringTable;
struct Configuration;
struct JobSetupModels;

// The program's name-to-id table: the value of the first row with exactly this name, 0 when none.
int NameToId(std::string_view name);
int nameTableRowCount();

enum class RuleControlType { DropDown = 0, CheckBox = 2 };

struct RuleEntry {
    std::string name;          // the WCtrlID value as written
    int tabId = 0;
    int controlId = 0;
    int type = 0;              // RuleControlType values; any other is a plain control
    int state = 0;             // 0 disabled, else enabled
    int itemCount = 0;         // -1 for All, 0 for None, else items.size()
    std::vector<int> items;    // entry indexes, or for a check box 0 = checked
};

struct PrinterBlock {
    std::string printerName;   // the model's string text; blocks are found by it
    std::vector<RuleEntry> entries;
};

struct RulesError {
    int line = 0;              // 1-based line of the file, 0 when the file could not be read
    std::string reason;
};

class ItemRules {
public:
    static constexpr int kMaxBlocks = 8;
    static constexpr int kMaxEntries = 100;
    static constexpr size_t kMaxLineLength = 4096;
    static constexpr size_t kMaxFileSize = 1 << 20;

    // Reads the rules file; false with `error` set when it cannot be read or breaks a rule, and
    // then no rule is kept. Names are resolved through `strings` (printer model names, entry
    // positions).
    bool LoadRules(const std::string& path, const StringTable& strings, RulesError& error);
    bool parse(std::string_view content, const StringTable& strings, RulesError& error);

    const std::vector<PrinterBlock>& blocks() const { return blocks_; }
    const PrinterBlock* blockFor(std::string_view printerName) const;   // the first of that name

private:
    std::vector<PrinterBlock> blocks_;
};

// "line 12: unknown key Colour" (or the reason alone for a file that could not be read).
std::string describe(const RulesError& error);

// String ids of the model type names, by printer language (the model table of the printer page).
int printerModelStringId(int printerLanguage);   // 0 when the language has no model type

// The item-disabling state of the window: the rules, the lock table the pages consult and the
// name of the block last applied. A change of model type resets the locks and the name.
struct ItemDisabling {
    ItemRules rules;
    ItemLockFlags locks;
    std::string lastAppliedBlock;

    void resetForModelChange()
    {
        locks = {};
        lastAppliedBlock.clear();
    }

    // Applies the block of the model type of `printerLanguage` to `page`, for the rules of
    // `tabId`. A control the page lacks is looked for on the job setup 2 page, then on the job
    // setup page (when `jobSetup` is given). True when every rule found its control (or there is
    // no block for the model type).
    bool ApplyRules(int tabId, PageModel& page, JobSetupModels* jobSetup, int printerLanguage,
                    const StringTable& strings);
};

// The locks and job setup models the window ends with after loading `options`: both job setup
// pages loaded, every page's rules applied in the order the document refreshes the pages, and
// the job setup pages' own rules applied again to the locked controls.
struct AppliedRules {
    ItemLockFlags locks;
    bool allFound = true;
};
AppliedRules applyRulesToJob(ItemDisabling& disabling, JobSetupModels& models, const JobOptions& options,
                             const StringTable& strings);

// The locks for a job as spxjob uses them: the rules file of the configuration applied to the
// job setup pages' models of `options`.
ItemLockFlags itemLocksForJob(const ItemRules& rules, const JobOptions& options, const StringTable& strings);

// String ids of the message about a rules file that cannot be used: 61225, the file's name,
// 61224, then the line and its fault.
inline constexpr int IdsRulesFileBroken = 61225;
inline constexpr int IdsRulesFileBrokenEnd = 61224;
std::string rulesFileMessage(const StringTable& strings, const RulesError& error);

// The item-disabling file of a configuration, read and applied to a job (spxjob); false with
// the message of a file that cannot be used.
bool itemLocksFromConfiguration(const Configuration& config, const JobOptions& options, ItemLockFlags& locks,
                                std::string& message);

} // namespace spx
