// The printer page's model: destinations and their rules, what the page stores, the tabs that
// follow the printer, the queue list and its selection, and the deferred model-type change.

#include <gtest/gtest.h>

#include "StringTable.h"
#include "rules/PrinterRules.h"

namespace spx {
namespace {

using namespace ids;

JobOptions destinations(int print, int file, int named)
{
    JobOptions o;
    o.setNumber(Field::destinationPrint, print);
    o.setNumber(Field::destinationFile, file);
    o.setNumber(Field::destinationPrintNamed, named);
    o.setText(Field::destinationFileName, "out.prn");
    o.setText(Field::destinationPrintName, "room2");
    o.setNumber(Field::printerLanguage, 1);
    return o;
}

TEST(PrinterPageRules, LoadEnablesTheNamedDestinationOnlyWhilePrintingAndChosen)
{
    for (int print : {0, 1})
        for (int file : {0, 1})
            for (int named : {0, 1}) {
                PageModel page = printerRules(destinations(print, file, named), true);
                SCOPED_TRACE(testing::Message() << print << file << named);
                EXPECT_EQ(page.enabled(IDC_CHECK_DEST_PRINT_NAMED), print == 1);
                EXPECT_EQ(page.enabled(IDC_EDIT_DEST_PRINT_NAME), print == 1 && named == 1);
                EXPECT_EQ(page.enabled(IDC_EDIT_DEST_FILE_NAME), file == 1);
                EXPECT_EQ(page.selection(IDC_COMBO_MODEL_TYPE), 1);
                EXPECT_EQ(page.entryCount(IDC_COMBO_MODEL_TYPE), kModelTypeCount);
            }
}

TEST(PrinterPageRules, NoPrinterLeavesTheModelListEmptyAndTheJobsModelUntouched)
{
    JobOptions job = destinations(1, 0, 0);
    PageModel page = printerRules(job, false);
    EXPECT_EQ(page.entryCount(IDC_COMBO_MODEL_TYPE), 0);
    EXPECT_EQ(page.selection(IDC_COMBO_MODEL_TYPE), -1);
    JobOptions stored;
    stored.setNumber(Field::printerLanguage, 1);
    RecordStore store(stored);
    storePrinterPage(page, store);
    EXPECT_EQ(stored.number(Field::printerLanguage), 1);
}

TEST(PrinterPageRules, PrintAndFileNeverBothUnchecked)
{
    // Unchecking print while file is unchecked leaves print checked.
    PageModel page = printerRules(destinations(1, 0, 1), true);
    EXPECT_EQ(printDestinationClicked(page, false), 0);
    EXPECT_TRUE(page.checked(IDC_CHECK_DEST_PRINT));
    EXPECT_TRUE(page.enabled(IDC_EDIT_DEST_PRINT_NAME));

    // With file checked, print can go, and the named destination goes grey with it.
    page = printerRules(destinations(1, 1, 1), true);
    printDestinationClicked(page, false);
    EXPECT_FALSE(page.checked(IDC_CHECK_DEST_PRINT));
    EXPECT_FALSE(page.enabled(IDC_CHECK_DEST_PRINT_NAMED));
    EXPECT_FALSE(page.enabled(IDC_EDIT_DEST_PRINT_NAME));

    // Unchecking file while print is unchecked checks print and brings its named box back.
    EXPECT_EQ(fileDestinationClicked(page, false), 0);
    EXPECT_TRUE(page.checked(IDC_CHECK_DEST_PRINT));
    EXPECT_TRUE(page.enabled(IDC_CHECK_DEST_PRINT_NAMED));
    EXPECT_TRUE(page.enabled(IDC_EDIT_DEST_PRINT_NAME));
    EXPECT_FALSE(page.enabled(IDC_EDIT_DEST_FILE_NAME));
}

TEST(PrinterPageRules, CheckingADestinationFocusesItsName)
{
    PageModel page = printerRules(destinations(1, 0, 0), true);
    EXPECT_EQ(fileDestinationClicked(page, true), IDC_EDIT_DEST_FILE_NAME);
    EXPECT_TRUE(page.enabled(IDC_EDIT_DEST_FILE_NAME));
    EXPECT_EQ(namedDestinationClicked(page, true), IDC_EDIT_DEST_PRINT_NAME);
    EXPECT_EQ(namedDestinationClicked(page, false), 0);
    EXPECT_FALSE(page.enabled(IDC_EDIT_DEST_PRINT_NAME));
}

TEST(PrinterPageRules, StoreWritesEveryDestinationAndTheModelAndClipsNames)
{
    PageModel page = printerRules(destinations(1, 1, 1), true);
    page.setText(IDC_EDIT_DEST_FILE_NAME, std::string(40, 'f'));
    page.select(IDC_COMBO_MODEL_TYPE, 0);
    JobOptions stored;
    RecordStore store(stored);
    storeDestinations(page, store);
    EXPECT_EQ(stored.number(Field::printerLanguage), 0);   // a click stores no model type
    stored.setNumber(Field::printerLanguage, 1);
    storePrinterPage(page, store);
    EXPECT_EQ(stored.number(Field::destinationPrint), 1);
    EXPECT_EQ(stored.number(Field::destinationFile), 1);
    EXPECT_EQ(stored.number(Field::destinationPrintNamed), 1);
    EXPECT_EQ(stored.text(Field::destinationFileName), std::string(kDestinationNameMax, 'f'));
    EXPECT_EQ(stored.text(Field::destinationPrintName), "room2");
    EXPECT_EQ(stored.number(Field::printerLanguage), 0);
}

TEST(PrinterPageRules, TabsThatFollowThePrinter)
{
    auto tabs = [](int settings, int plex, int language, int freeform) {
        JobOptions o;
        o.setNumber(Field::settingsMode, settings);
        o.setNumber(Field::plexMode, plex);
        o.setNumber(Field::printerLanguage, language);
        return printerTabRules(o, freeform);
    };
    for (int plex = 0; plex < 6; ++plex)
        for (int language : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "plex " << plex << " language " << language);
            const bool pamphletOnPs = plex == 5 && language == 0;
            EXPECT_EQ(tabs(1, plex, language, 1).paperExceptions, pamphletOnPs);
            EXPECT_EQ(tabs(2, plex, language, 1).paperExceptions, pamphletOnPs);
            const bool own = plex == 5 ? language == 0 : plex != 3 && plex != 4;
            EXPECT_EQ(tabs(0, plex, language, 1).paperExceptions, own);
        }
    EXPECT_TRUE(tabs(0, 0, 1, 1).colorMapping);
    EXPECT_FALSE(tabs(0, 0, 0, 1).colorMapping);
    EXPECT_FALSE(tabs(0, 0, 1, 0).colorMapping);
    EXPECT_FALSE(tabs(1, 0, 1, 1).colorMapping);
}

std::vector<SpoolerQueue> queues()
{
    return {{"alpha", "socket://10.0.0.1:9100", false},
            {"beta", "ipp://beta.local/ipp/print", true},
            {"beta/duplex", "ipp://beta.local/ipp/print", false}};
}

TEST(PrinterQueueList, ItemTextNamesQueueAndDevice)
{
    QueueList list = buildQueueList(queues(), "%1 on %2 (100%)");
    ASSERT_EQ(list.entries.size(), 3u);
    EXPECT_EQ(list.entries[0].text, "alpha on socket://10.0.0.1:9100 (100%)");
    EXPECT_EQ(list.entries[2].name, "beta/duplex");
    EXPECT_EQ(list.nameAt(2), "beta/duplex");
    EXPECT_EQ(list.nameAt(3), "");
    EXPECT_EQ(list.nameAt(-1), "");
}

TEST(PrinterQueueList, SelectionKeepsTheQueueElseTheDefaultElseTheFirst)
{
    EXPECT_EQ(buildQueueList(queues(), "%1").selected, 1);                   // nothing remembered: default
    EXPECT_EQ(buildQueueList(queues(), "%1", "beta/duplex").selected, 2);    // remembered
    EXPECT_EQ(buildQueueList(queues(), "%1", "gone").selected, 1);           // remembered one removed
    auto noDefault = queues();
    noDefault[1].isDefault = false;
    EXPECT_EQ(buildQueueList(noDefault, "%1", "gone").selected, 0);
    // A queue added before the remembered one does not move the selection to another printer.
    auto more = queues();
    more.insert(more.begin(), {"aardvark", "lpd://x/q", false});
    EXPECT_EQ(buildQueueList(more, "%1", "alpha").selectedName(), "alpha");
    QueueList empty = buildQueueList({}, "%1", "alpha");
    EXPECT_EQ(empty.selected, -1);
    EXPECT_EQ(empty.selectedName(), "");
}

TEST(PrinterModelChange, StepsAndQuestion)
{
    EXPECT_EQ(modelChangeStep(1, 0, false), ModelChangeStep::Ask);
    EXPECT_EQ(modelChangeStep(0, 0, false), ModelChangeStep::Nothing);   // the same again asks nothing
    EXPECT_EQ(modelChangeStep(0, 0, true), ModelChangeStep::Apply);      // silent: applied anyway
    EXPECT_EQ(modelChangeStep(-1, 0, true), ModelChangeStep::Nothing);
    EXPECT_EQ(modelChangeStep(2, 0, true), ModelChangeStep::Nothing);
    StringTable strings;
    strings.set(IdsModelChangeBefore, "Change to ");
    strings.set(IdsModelPcl, "PCL");
    strings.set(IdsModelChangeAfter, "?");
    EXPECT_EQ(modelChangeQuestion(strings, 1), "Change to PCL?");
}

TEST(PrinterModelChange, DeferredUntilTheListClosesOrLosesTheFocus)
{
    ModelChangeTracker t;
    // Open list: nothing yet, unless a close-up found it still reported open.
    EXPECT_FALSE(t.mayProcess(true));
    t.closedByChoice();
    EXPECT_FALSE(t.closeUp(true));
    EXPECT_TRUE(t.mayProcess(true));
    EXPECT_FALSE(t.mayProcess(true));   // once
    EXPECT_TRUE(t.mayProcess(false));
    // A close by cancel shows the old model again first.
    t.closedByCancel();
    EXPECT_TRUE(t.closeUp(false));
    t.closedByChoice();
    EXPECT_FALSE(t.closeUp(false));
    // Keys typed: the change waits for the focus to leave, or for the page to be left.
    EXPECT_FALSE(t.focusLeft());
    t.keyTyped();
    EXPECT_TRUE(t.focusLeft());
    EXPECT_FALSE(t.leaving());
    t.keyTyped();
    EXPECT_TRUE(t.leaving());
}

} // namespace
} // namespace spx
