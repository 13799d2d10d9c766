#include "rules/PrinterRules.h"

#include "StringTable.h"

namespace spx {

using namespace ids;

namespace {

std::string clipped(std::string text)
{
    if (text.size() > kDestinationNameMax)
        text.resize(kDestinationNameMax);
    return text;
}

// The named destination can be chosen only while printing, and its name only while it is chosen.
void namedDestinationRule(PageModel& page)
{
    const bool print = page.checked(IDC_CHECK_DEST_PRINT);
    page.enable(IDC_CHECK_DEST_PRINT_NAMED, print);
    page.enable(IDC_EDIT_DEST_PRINT_NAME, print && page.checked(IDC_CHECK_DEST_PRINT_NAMED));
}

void fileDestinationRule(PageModel& page)
{
    page.enable(IDC_EDIT_DEST_FILE_NAME, page.checked(IDC_CHECK_DEST_FILE));
}

} // namespace

PageModel printerRules(const JobOptions& options, bool printersPresent)
{
    PageModel page(IDD_TAB_PRINTER_SELECT);
    page.check(IDC_CHECK_DEST_PRINT, options.number(Field::destinationPrint) != 0);
    page.check(IDC_CHECK_DEST_FILE, options.number(Field::destinationFile) != 0);
    page.check(IDC_CHECK_DEST_PRINT_NAMED, options.number(Field::destinationPrintNamed) != 0);
    page.setText(IDC_EDIT_DEST_FILE_NAME, clipped(options.text(Field::destinationFileName)));
    page.setText(IDC_EDIT_DEST_PRINT_NAME, clipped(options.text(Field::destinationPrintName)));
    if (printersPresent)
        page.select(IDC_COMBO_MODEL_TYPE, options.number(Field::printerLanguage), kModelTypeCount);
    else
        page.select(IDC_COMBO_MODEL_TYPE, -1, 0);
    fileDestinationRule(page);
    namedDestinationRule(page);
    return page;
}

int printDestinationClicked(PageModel& page, bool checked)
{
    page.check(IDC_CHECK_DEST_PRINT, checked);
    if (!checked && !page.checked(IDC_CHECK_DEST_FILE)) {
        page.check(IDC_CHECK_DEST_PRINT, true);
        return 0;
    }
    namedDestinationRule(page);
    return 0;
}

int fileDestinationClicked(PageModel& page, bool checked)
{
    page.check(IDC_CHECK_DEST_FILE, checked);
    fileDestinationRule(page);
    if (!checked && !page.checked(IDC_CHECK_DEST_PRINT)) {
        page.check(IDC_CHECK_DEST_PRINT, true);
        namedDestinationRule(page);
    }
    return checked ? IDC_EDIT_DEST_FILE_NAME : 0;
}

int namedDestinationClicked(PageModel& page, bool checked)
{
    page.check(IDC_CHECK_DEST_PRINT_NAMED, checked);
    namedDestinationRule(page);
    return page.enabled(IDC_EDIT_DEST_PRINT_NAME) ? IDC_EDIT_DEST_PRINT_NAME : 0;
}

void storeDestinations(const PageModel& page, IOptionStore& job)
{
    job.setNumber(Field::destinationPrint, page.checked(IDC_CHECK_DEST_PRINT));
    job.setNumber(Field::destinationFile, page.checked(IDC_CHECK_DEST_FILE));
    job.setText(Field::destinationFileName, clipped(page.text(IDC_EDIT_DEST_FILE_NAME)));
    job.setNumber(Field::destinationPrintNamed, page.checked(IDC_CHECK_DEST_PRINT_NAMED));
    job.setText(Field::destinationPrintName, clipped(page.text(IDC_EDIT_DEST_PRINT_NAME)));
}

void storePrinterPage(const PageModel& page, IOptionStore& job)
{
    storeDestinations(page, job);
    // Without a printer the list is empty: the job keeps its model type.
    if (const int model = page.selection(IDC_COMBO_MODEL_TYPE); model >= 0 && model < kModelTypeCount)
        job.setNumber(Field::printerLanguage, model);
}

PrinterTabs printerTabRules(const JobOptions& options, int freeformColorAtLoad)
{
    const int plex = options.number(Field::plexMode);
    const bool postScript = options.number(Field::printerLanguage) == 0;
    const bool ownSettings = options.number(Field::settingsMode) == 0;
    constexpr int kInterleavesBlank = 3, kInterleavesPrinted = 4, kPamphlets = 5;
    PrinterTabs tabs;
    if (!ownSettings)
        tabs.paperExceptions = plex == kPamphlets && postScript;
    else if (plex == kInterleavesBlank || plex == kInterleavesPrinted)
        tabs.paperExceptions = false;
    else if (plex == kPamphlets)
        tabs.paperExceptions = postScript;
    tabs.colorMapping = !postScript && freeformColorAtLoad != 0 && ownSettings;
    return tabs;
}

std::string QueueList::nameAt(int index) const
{
    return index >= 0 && index < int(entries.size()) ? entries[size_t(index)].name : std::string();
}

std::string queueItemText(const std::string& pattern, const SpoolerQueue& queue)
{
    std::string out;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == '1' || pattern[i + 1] == '2')) {
            out += pattern[i + 1] == '1' ? queue.name : queue.deviceUri;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

QueueList buildQueueList(const std::vector<SpoolerQueue>& queues, const std::string& pattern, const std::string& keep)
{
    QueueList list;
    int kept = -1, byDefault = -1;
    for (const SpoolerQueue& queue : queues) {
        const int index = int(list.entries.size());
        if (!keep.empty() && queue.name == keep && kept < 0)
            kept = index;
        if (queue.isDefault && byDefault < 0)
            byDefault = index;
        list.entries.push_back({queue.name, queueItemText(pattern, queue)});
    }
    if (!list.entries.empty())
        list.selected = kept >= 0 ? kept : byDefault >= 0 ? byDefault : 0;
    return list;
}

bool ModelChangeTracker::closeUp(bool stillOpen)
{
    const bool restore = closeCancelled_;
    changePending_ = stillOpen;
    return restore;
}

bool ModelChangeTracker::focusLeft()
{
    if (!keyTyped_)
        return false;
    keyTyped_ = false;
    return true;
}

bool ModelChangeTracker::mayProcess(bool listOpen)
{
    if (!listOpen)
        return true;
    if (!changePending_)
        return false;
    changePending_ = false;
    return true;
}

ModelChangeStep modelChangeStep(int chosen, int current, bool silent)
{
    if (chosen < 0 || chosen >= kModelTypeCount)
        return ModelChangeStep::Nothing;
    if (chosen == current && !silent)
        return ModelChangeStep::Nothing;
    return silent ? ModelChangeStep::Apply : ModelChangeStep::Ask;
}

std::string modelChangeQuestion(const StringTable& strings, int chosen)
{
    const int entry = chosen >= 0 && chosen < kModelTypeCount ? kModelTypeStrings[chosen] : 0;
    return strings.text(IdsModelChangeBefore) + (entry ? strings.text(entry) : std::string()) +
           strings.text(IdsModelChangeAfter);
}

} // namespace spx
