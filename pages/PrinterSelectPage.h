#pragma once
// Page 0: the spooler queue, the printer model type and where the job stream goes. The page is
// a binding of its model (rules/PrinterRules.h): it shows the model on its widgets and passes
// the operator's clicks to the model's rules; the rules decide, the page only shows.
//
// This is the shape the other pages follow:
//   LoadFromDocument   model_ = xxxRules(document options); show()
//   a click            model_ changes through the rules' function; show(); store what it stores
//   SaveToDocument     read the edits into model_; storeXxx(model_, DocumentStore(document))

#include <functional>
#include <string>
#include <vector>

#include "QPropertyPage.h"
#include "Spooler.h"
#include "rules/PrinterRules.h"

class QListWidget;
class QCheckBox;
class QLineEdit;

namespace spx::gui {

class CItemComboBox;

class CPrinterSelectPage : public CQPropertyPage {
    Q_OBJECT
public:
    // Where the queues come from: true and the queues, or false when the spooler cannot be asked.
    using QueueLister = std::function<bool(std::vector<SpoolerQueue>&)>;

    CPrinterSelectPage(AppContext& context, CQPropertySheet* sheet, QWidget* parent = nullptr);

    void setQueueLister(QueueLister lister) { lister_ = std::move(lister); }
    // Called when the operator presses the connect button (the view opens the dialog).
    std::function<void()> onConnectPrinter;

    bool SaveToDocument() override;
    bool LoadFromDocument() override;
    bool QueryLeave() override;
    bool HasEditSelection() override;
    bool OnInitDialog() override;

    // Rebuilds the queue list; with `keepSelection` the chosen queue stays chosen while it exists.
    void RefreshQueues(bool keepSelection);
    // The queue of the selected entry (index -1) or of entry `index`; empty when there is none.
    std::string GetSelectedQueueName(int index = -1) const;
    int QueueCount() const { return int(queues_.entries.size()); }
    // After a job was loaded: its model type, without asking and without resetting its options.
    void SelectModelSilently(int index);
    bool printersPresent() const { return printersPresent_; }
    // The tabs that follow the printer, on the sheet.
    void ApplyPrinterTabRules();

    const PageModel& model() const { return model_; }

private:
    void bindControls();
    void show();
    void readEdits();
    void onQueueChanged(int row);
    void onDestinationClicked(int id, bool checked);
    void onModelSelected();
    void onModelClosed();
    void onModelClosedUp();
    void ProcessModelChange();
    void afterModelChange();
    void OnNoPrinters();
    void fillModelTypes();
    bool ignoreMissingPrinters() const;
    bool eventFilter(QObject* watched, QEvent* event) override;

    QueueLister lister_;
    PageModel model_;
    QueueList queues_;
    std::string rememberedQueue_;
    std::string selectedText_;
    ModelChangeTracker modelChange_;
    bool silentChange_ = false;
    bool printersPresent_ = true;
    bool noticePosted_ = false;
    int showing_ = 0;   // > 0 while the page puts the model on its widgets

    QListWidget* queueList_ = nullptr;
    CItemComboBox* modelType_ = nullptr;
    QCheckBox* destPrint_ = nullptr;
    QCheckBox* destPrintNamed_ = nullptr;
    QCheckBox* destFile_ = nullptr;
    QLineEdit* destPrintName_ = nullptr;
    QLineEdit* destFileName_ = nullptr;
};

} // namespace spx::gui
