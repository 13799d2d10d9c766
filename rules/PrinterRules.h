#pragma once
// The printer page on its model: the queue list built from the spooler's queues, the model type,
// the three destinations with their enabling rules, the deferred model-type change and the two
// tabs that follow the printer. The Qt page (pages/PrinterSelectPage) only shows this model and
// passes the operator's clicks to it; the tests run it without a display.
//
// The page follows the shape of every page model (see PageModel.h):
//     PageModel printerRules(options, printersPresent)   what the page shows for a job
//     xxxClicked(page, checked)                          an operator's click, rules run again
//     storePrinterPage(page, job)                        what the page writes into the job

#include <string>
#include <vector>

#include "Spooler.h"
#include "rules/ControlIds.h"
#include "rules/PageModel.h"

namespace spx {

class StringTable;

namespace ids {
// Printer page.
inline constexpr int IDC_LIST_QUEUES = 1038;
inline constexpr int IDC_COMBO_MODEL_TYPE = 1065;
inline constexpr int IDC_CHECK_DEST_PRINT = 1068;
inline constexpr int IDC_CHECK_DEST_PRINT_NAMED = 1071;
inline constexpr int IDC_EDIT_DEST_PRINT_NAME = 1073;
inline constexpr int IDC_CHECK_DEST_FILE = 1070;
inline constexpr int IDC_EDIT_DEST_FILE_NAME = 1072;
inline constexpr int IDC_BUTTON_CONNECT_PRINTER = 1098;
inline constexpr int IDC_BUTTON_PRINTER_HELP = 2639;
inline constexpr int IDC_STATIC_PRINTER_INFO = 2609;
inline constexpr int IDC_STATIC_PRINTER_NOTE = 2640;
} // namespace ids

enum PrinterStringId {
    IdsQueueItem = 97,             // a queue's line: %1 the queue, %2 its device
    IdsModelPostScript = 120,      // model type 0
    IdsModelPcl = 1029,            // model type 1
    IdsNoPrinter = 206,            // no queue to send to
    IdsNoQueueChosen = 186,        // the send found no queue chosen
    IdsModelChangeAfter = 393,     // the model-type question after the entry's text
    IdsModelChangeBefore = 396,    // the model-type question before the entry's text
    IdsConnectUnavailable = 440,   // connecting printers is not offered here
    IdsPrinterInfo = 1165,         // the page's information line
};

// The model types of the drop-down, in order; the index is the job's printerLanguage.
inline constexpr int kModelTypeStrings[] = {IdsModelPostScript, IdsModelPcl};
inline constexpr int kModelTypeCount = 2;
inline constexpr std::size_t kDestinationNameMax = 31;

// --- the controls ------------------------------------------------------------------------------

// The page as it shows `options`: destinations and their rules, the model type chosen (no entry
// at all while no printer is present).
PageModel printerRules(const JobOptions& options, bool printersPresent);

// The operator's clicks on the destination check boxes. Each returns the edit that takes the
// focus with its whole text selected (0: none). At least one of "print" and "file" stays checked.
int printDestinationClicked(PageModel& page, bool checked);
int fileDestinationClicked(PageModel& page, bool checked);
int namedDestinationClicked(PageModel& page, bool checked);

// The destinations only (what a click stores), and the whole page with the model type.
void storeDestinations(const PageModel& page, IOptionStore& job);
void storePrinterPage(const PageModel& page, IOptionStore& job);

// --- the tabs that follow the printer ----------------------------------------------------------

struct PrinterTabs {
    bool paperExceptions = true;
    bool colorMapping = false;
    bool operator==(const PrinterTabs&) const = default;
};
PrinterTabs printerTabRules(const JobOptions& options, int freeformColorAtLoad);

// --- the queue list ----------------------------------------------------------------------------

struct QueueEntry {
    std::string name;   // what is sent to: "queue" or "queue/instance"
    std::string text;   // what the list shows
};

struct QueueList {
    std::vector<QueueEntry> entries;
    int selected = -1;   // -1 only when the list is empty
    // The name of entry `index`, or of the selected entry; empty outside the list.
    std::string nameAt(int index) const;
    std::string selectedName() const { return nameAt(selected); }
};

// The line of one queue: `pattern` with %1 = the queue, %2 = its device URI.
std::string queueItemText(const std::string& pattern, const SpoolerQueue& queue);

// The list of `queues` with its selection: the queue named `keep` while it is still there
// (a rebuild keeps the operator's queue even when others come or go before it), else the
// spooler's default destination, else the first queue.
QueueList buildQueueList(const std::vector<SpoolerQueue>& queues, const std::string& pattern,
                         const std::string& keep = {});

// --- the deferred model-type change ------------------------------------------------------------
//
// A choice in the model-type list takes effect when the list closes (by mouse), when the list
// loses the focus after keys were typed in it, or when the page is left; never while the list is
// still open. The change is asked about (unless silent) and can be cancelled.
class ModelChangeTracker {
public:
    // The list was closed by choosing an entry (selectEndOk) or by cancelling it.
    void closedByChoice() { closeCancelled_ = false; }
    void closedByCancel() { closeCancelled_ = true; }
    // The list closed up. True when the old model is to be shown again first (the close was a
    // cancel); `stillOpen`: the list still reports itself open, the change then runs anyway.
    bool closeUp(bool stillOpen);
    // A key went down while the list had the focus.
    void keyTyped() { keyTyped_ = true; }
    // The list lost the focus / the page is left: true when a typed change is now to be processed.
    bool focusLeft();
    bool leaving() { return focusLeft(); }
    // Before processing: false when the list is open and no close-up asked for the change.
    bool mayProcess(bool listOpen);
    void clearKeyTyped() { keyTyped_ = false; }

    bool hasTypedKey() const { return keyTyped_; }

private:
    bool closeCancelled_ = false;
    bool keyTyped_ = false;
    bool changePending_ = false;
};

enum class ModelChangeStep { Nothing, Ask, Apply };
// What a model change from `current` to `chosen` calls for.
ModelChangeStep modelChangeStep(int chosen, int current, bool silent);
// The question: string 396, the chosen entry's text, string 393.
std::string modelChangeQuestion(const StringTable& strings, int chosen);

} // namespace spx
