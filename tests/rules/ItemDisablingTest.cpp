// The item-disabling rules: reading the file (every statement, every refusal with its line) and
// applying a block to the page models.

#include <gtest/gtest.h>

#include <fstream>

#include "OptionAvailability.h"
#include "StringTable.h"
#include "rules/ItemDisabling.h"
#include "rules/JobSetupRules.h"

namespace spx {
namespace {

using namespace ids;

const StringTable& shippedStrings()
{
    static const StringTable strings = [] {
        StringTable t;
        std::string error;
        EXPECT_TRUE(t.loadFromFolder(SPX_RESOURCE_DIR "/strings", error)) << error;
        return t;
    }();
    return strings;
}

ItemRules parsed(std::string_view text)
{
    ItemRules rules;
    RulesError error;
    EXPECT_TRUE(rules.parse(text, shippedStrings(), error)) << describe(error);
    return rules;
}

RulesError refusal(std::string_view text)
{
    ItemRules rules;
    RulesError error;
    EXPECT_FALSE(rules.parse(text, shippedStrings(), error)) << text.substr(0, 80);
    EXPECT_TRUE(rules.blocks().empty()) << "a refused file keeps no rule";
    return error;
}

JobOptions job(int language, int plex, int exit)
{
    JobOptions o;
    o.setNumber(Field::printerLanguage, language);
    o.setNumber(Field::plexMode, plex);
    o.setNumber(Field::outputExit, exit);
    o.setNumber(Field::collate, 1);
    o.setNumber(Field::statusMode, 1);
    return o;
}

constexpr std::string_view kPcl = "WPrinterID=IDS_PRINTER_OTHER\n";

TEST(ItemRulesNamesTest, TableKeepsItsRowsAndTheFirstRowWins)
{
    EXPECT_EQ(nameTableRowCount(), 116);
    EXPECT_EQ(NameToId("IDS_PRINTER_LYRA"), 120);
    EXPECT_EQ(NameToId("IDC_STATIC_FRONT_COVER_PAPER"), 1047);
    EXPECT_EQ(NameToId("IDC_STATIC_OUTPUT_DEVICE"), 1047);
    EXPECT_EQ(NameToId("IDC_CHECK_TRIM_EDGES"), 1095) << "shares its value with the header page box";
    EXPECT_EQ(NameToId("IDS_Language_pdf"), 152) << "the last row";
    EXPECT_EQ(NameToId("idc_combo_fold_mode"), 0) << "names are case-sensitive";
    EXPECT_EQ(NameToId(""), 0);

    // The list positions the names stand for agree with the entries the page rules use.
    const StringTable& s = shippedStrings();
    EXPECT_EQ(leadingNumber(s.text(286)), entry::kStapleSaddleStitch);
    EXPECT_EQ(leadingNumber(s.text(288)), entry::kStapleNone);
    EXPECT_EQ(leadingNumber(s.text(57647)), entry::kFoldSaddleFold);
    EXPECT_EQ(leadingNumber(s.text(57645)), entry::kFoldNone);
    EXPECT_EQ(leadingNumber(s.text(72)), entry::kCoverPrintSide1);
    EXPECT_EQ(leadingNumber(s.text(76)), entry::kCoverPrintSide2);
    EXPECT_EQ(leadingNumber(s.text(67)), entry::kCoverNone);
    EXPECT_FALSE(s.text(printerModelStringId(0)).empty());
    EXPECT_FALSE(s.text(printerModelStringId(1)).empty());
}

TEST(ItemRulesParseTest, ReadsEveryStatement)
{
    const ItemRules rules = parsed("; comment\r\n"
                                   "Made by the print room\r\n"
                                   "\r\n"
                                   "WPrinterID=IDS_PRINTER_LYRA\r\n"
                                   "WCtrlID=IDC_COMBO_STAPLE_MODE\r\n"
                                   "wtabid=IDD_TAB_JOB_SETUP\r\n"
                                   "TYPE=0\r\n"
                                   "State=1\r\n"
                                   "DisabledItems=0,IDS_Stapler_SaddleStitch, 2,IDS_UNKNOWN\r\n"
                                   "WCtrlID=1097\r\n"
                                   "WTabID=2617\r\n"
                                   "Type=2\r\n"
                                   "DisabledItems=all\r\n"
                                   "WCtrlID=NoSuchControl\r\n"
                                   "DisabledItems=NONE\r\n"
                                   "WPrinterID=IDS_PRINTER_OTHER\n"
                                   "WCtrlID=IDC_COMBO_FOLD_MODE");   // the last line has no line end
    ASSERT_EQ(rules.blocks().size(), 2u);
    const PrinterBlock& ps = rules.blocks()[0];
    EXPECT_EQ(ps.printerName, shippedStrings().text(120));
    ASSERT_EQ(ps.entries.size(), 3u);
    const RuleEntry& staple = ps.entries[0];
    EXPECT_EQ(staple.name, "IDC_COMBO_STAPLE_MODE");
    EXPECT_EQ(staple.controlId, IDC_COMBO_STAPLE_MODE);
    EXPECT_EQ(staple.tabId, IDD_TAB_JOB_SETUP);
    EXPECT_EQ(staple.state, 1);
    EXPECT_EQ(staple.items, (std::vector<int>{0, 5, 2, 0}));
    EXPECT_EQ(staple.itemCount, 4);
    EXPECT_EQ(ps.entries[1].controlId, 1097);
    EXPECT_EQ(ps.entries[1].type, 2);
    EXPECT_EQ(ps.entries[1].itemCount, -1);
    EXPECT_EQ(ps.entries[2].controlId, 0) << "an unknown name matches no control";
    EXPECT_EQ(ps.entries[2].itemCount, 0);
    ASSERT_EQ(rules.blocks()[1].entries.size(), 1u);
    EXPECT_EQ(rules.blocks()[1].entries[0].controlId, IDC_COMBO_FOLD_MODE);
}

TEST(ItemRulesParseTest, RefusesABrokenFileNamingTheLine)
{
    auto line = [](std::string_view text) { return refusal(text).line; };
    EXPECT_EQ(line("; rules\nState=1\n"), 2) << "a rule before the first block";
    EXPECT_EQ(line(std::string(kPcl) + "Colour=1\n"), 2) << "an unknown key";
    EXPECT_EQ(line(std::string(kPcl) + "State=1\n"), 2) << "a key before the block's first WCtrlID";
    EXPECT_EQ(line(std::string(kPcl) + "WCtrlID=1019\r\nState 1\r\n"), 3) << "no \"=\"; CR LF counts one line";
    EXPECT_EQ(line("WPrinterID=IDS_NOT_A_PRINTER\n"), 1) << "a model without a name";
    EXPECT_EQ(line("WPrinterID=IDS_PRINTER_DRACO\nWPrinterID=\n"), 2);

    std::string nine;
    for (int i = 0; i < 9; ++i)
        nine += kPcl;
    EXPECT_EQ(line(nine), 9) << "a ninth block";
    std::string entries(kPcl);
    for (int i = 0; i < 101; ++i)
        entries += "WCtrlID=1019\nState=0\n";
    EXPECT_EQ(line(entries), 1 + 2 * 100 + 1) << "a 101st entry";
    EXPECT_EQ(line(std::string(kPcl) + "WCtrlID=" + std::string(100 * 1024, 'A') + "\n"), 2) << "a 100 KB line";
    EXPECT_EQ(line(std::string(kPcl) + "; caf\xe9\n"), 2) << "Windows-1252 bytes, even in a comment";
    EXPECT_EQ(line(std::string(kPcl) + "WCtrlID=\xc0\xaf\n"), 2) << "an overlong UTF-8 form";
    EXPECT_EQ(line(std::string(kPcl) + "WCtrlID=\xe2\x82\n"), 2) << "a cut UTF-8 sequence";
    EXPECT_EQ(refusal(std::string(kPcl) + "Colour=1\n").reason, "unknown key Colour");
    EXPECT_EQ(describe(refusal(std::string(kPcl) + "WTabID=2617")), "line 2: a rule before the block's first WCtrlID line");

    parsed(std::string(kPcl) + "WCtrlID=IDC_EDIT_EMAIL\nState=0\n; Gr\xc3\xbc\xc3\x9f" "e\n");

    ItemRules rules;
    RulesError error;
    EXPECT_FALSE(rules.LoadRules("/nonexistent/itemdisable.txt", shippedStrings(), error));
    EXPECT_EQ(error.line, 0);
    EXPECT_FALSE(rules.LoadRules("/dev/null", shippedStrings(), error)) << "not a regular file";
}

ItemDisabling disablingFrom(std::string_view text)
{
    ItemDisabling d;
    d.rules = parsed(text);
    return d;
}

TEST(ItemRulesApplyTest, DisabledItemsAllNoneAndAList)
{
    JobSetupModels m = jobSetupRules(job(1, 0, 1));
    auto apply = [&](std::string_view items) {
        ItemDisabling d = disablingFrom(std::string(kPcl) + "WCtrlID=IDC_COMBO_STAPLE_MODE\nWTabID=IDD_TAB_JOB_SETUP\n"
                                        "Type=0\nState=1\nDisabledItems=" + std::string(items) + "\n");
        EXPECT_TRUE(d.ApplyRules(IDD_TAB_JOB_SETUP, m.setup, &m, 1, shippedStrings()));
        std::vector<bool> entries;
        for (int i = 0; i < m.setup.entryCount(IDC_COMBO_STAPLE_MODE); ++i)
            entries.push_back(m.setup.entryEnabled(IDC_COMBO_STAPLE_MODE, i));
        return entries;
    };
    EXPECT_EQ(apply("All"), std::vector<bool>(6, false));
    EXPECT_EQ(apply("None"), std::vector<bool>(6, true));
    EXPECT_EQ(apply("0,2"), (std::vector<bool>{false, true, false, true, true, true}));
    EXPECT_EQ(apply("IDS_Stapler_SaddleStitch,99,-1"), (std::vector<bool>{true, true, true, true, true, false}))
        << "entries outside the list are passed over";
}

TEST(ItemRulesApplyTest, FallsBackToTheJobSetupPagesAndKeepsTheLocks)
{
    // Rules refreshed with the custom options page reach controls of the job setup pages.
    ItemDisabling d = disablingFrom(std::string(kPcl)
                                    + "WCtrlID=IDC_COMBO_STATUS_PAPER\nWTabID=IDD_TAB_CUSTOM_OPTIONS\nState=0\n"
                                      "WCtrlID=IDC_COMBO_FOLD_MODE\nWTabID=IDD_TAB_CUSTOM_OPTIONS\nState=0\n"
                                      "WCtrlID=4711\nWTabID=IDD_TAB_CUSTOM_OPTIONS\nState=0\n"
                                      "WCtrlID=IDC_CHECK_FREEFORM_COLOR\nWTabID=IDD_TAB_JOB_SETUP2\nType=2\nState=1\n"
                                      "DisabledItems=IDS_Check_On\n"
                                      "WCtrlID=IDC_CHECK_HEADER_PAGE\nWTabID=IDD_TAB_JOB_SETUP2\nType=2\nState=0\n"
                                      "DisabledItems=IDS_Check_On\n");
    JobSetupModels m = jobSetupRules(job(1, 0, 1));
    PageModel custom(IDD_TAB_CUSTOM_OPTIONS);
    EXPECT_FALSE(d.ApplyRules(IDD_TAB_CUSTOM_OPTIONS, custom, &m, 1, shippedStrings()))
        << "control 4711 is on no page";
    EXPECT_FALSE(m.setup2.enabled(IDC_COMBO_STATUS_PAPER));
    EXPECT_FALSE(m.setup.enabled(IDC_COMBO_FOLD_MODE));
    EXPECT_FALSE(d.locks.statusPaper);
    EXPECT_FALSE(d.locks.foldMode);
    EXPECT_TRUE(d.locks.stapleMode);
    EXPECT_EQ(d.lastAppliedBlock, shippedStrings().text(1029));

    EXPECT_TRUE(d.ApplyRules(IDD_TAB_JOB_SETUP2, m.setup2, &m, 1, shippedStrings()));
    EXPECT_FALSE(m.setup2.checked(IDC_CHECK_FREEFORM_COLOR)) << "a rule never checks the freeform colour box";
    EXPECT_TRUE(m.setup2.checked(IDC_CHECK_HEADER_PAGE));
    EXPECT_FALSE(m.setup2.enabled(IDC_CHECK_HEADER_PAGE));

    // Another model type has no block here: nothing changes. A model change resets the locks.
    JobSetupModels ps = jobSetupRules(job(0, 0, 0));
    EXPECT_TRUE(d.ApplyRules(IDD_TAB_JOB_SETUP, ps.setup, &ps, 0, shippedStrings()));
    EXPECT_EQ(ps.setup, jobSetupRules(job(0, 0, 0)).setup);
    d.resetForModelChange();
    EXPECT_EQ(d.locks, ItemLockFlags{});
    EXPECT_TRUE(d.lastAppliedBlock.empty());
}

TEST(ItemRulesApplyTest, OnlyTheFirstBlockOfANameApplies)
{
    ItemDisabling d = disablingFrom(std::string(kPcl) + "WCtrlID=IDC_COMBO_STACK_MODE\nWTabID=2617\nState=0\n" + std::string(kPcl)
                                    + "WCtrlID=IDC_COMBO_STAPLE_MODE\nWTabID=2617\nState=0\n");
    JobSetupModels m = jobSetupRules(job(1, 0, 1));
    EXPECT_TRUE(d.ApplyRules(IDD_TAB_JOB_SETUP, m.setup, &m, 1, shippedStrings()));
    EXPECT_FALSE(m.setup.enabled(IDC_COMBO_STACK_MODE));
    EXPECT_TRUE(m.setup.enabled(IDC_COMBO_STAPLE_MODE));
}

TEST(ItemRulesApplyTest, ARuleCannotSwitchOnWhatThePageSwitchedOff)
{
    // Exit 2 has no stacker: a rule enabling the stack list leaves it off after the page rules.
    ItemDisabling d = disablingFrom(std::string(kPcl) + "WCtrlID=IDC_COMBO_STACK_MODE\nWTabID=2617\nState=1\n");
    JobSetupModels m;
    applyRulesToJob(d, m, job(1, 0, 2), shippedStrings());
    EXPECT_FALSE(m.setup.enabled(IDC_COMBO_STACK_MODE));
}

TEST(ItemRulesApplyTest, ShippedFileGivesTheHeaderItsLocks)
{
    ItemRules rules;
    RulesError error;
    ASSERT_TRUE(rules.LoadRules(SPX_CONFIG_DIR "/itemdisable.txt", shippedStrings(), error)) << describe(error);
    ASSERT_EQ(rules.blocks().size(), 2u);

    // The PCL model has no folder: its header asks for no folding at the finisher exit.
    const JobOptions pcl = job(1, 1, 1);
    const ItemLockFlags pclLocks = itemLocksForJob(rules, pcl, shippedStrings());
    EXPECT_FALSE(pclLocks.foldMode);
    EXPECT_TRUE(computeOptionAvailability(pcl).folding);
    EXPECT_FALSE(computeOptionAvailability(pcl, pclLocks).folding);

    ItemDisabling d;
    d.rules = rules;
    JobSetupModels m;
    EXPECT_TRUE(applyRulesToJob(d, m, [&] { JobOptions o = pcl; o.setNumber(Field::proofSet, 1); return o; }(),
                                shippedStrings()).allFound);
    EXPECT_FALSE(m.setup.checked(IDC_CHECK_PRINT_PROOF_SET));
    EXPECT_FALSE(m.setup.entryEnabled(IDC_COMBO_STAPLE_MODE, entry::kStapleSaddleStitch));
    EXPECT_FALSE(m.setup.entryEnabled(IDC_COMBO_PRINTING_MODE, 5));

    // The PostScript model keeps every lock open.
    EXPECT_EQ(itemLocksForJob(rules, job(0, 1, 0), shippedStrings()), ItemLockFlags{});
}

} // namespace
} // namespace spx
