#include "PrinterSelectPage.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include "ItemComboBox.h"
#include "PageIds.h"
#include "Profile.h"
#include "QPropertySheet.h"
#include "SpxDoc.h"
#include "SpxView.h"

namespace spx::gui {

using namespace spx::ids;

namespace {
constexpr int kHelpContext = 16;
const char* const kDebugSection = "debug";
const char* const kIgnoreMissingPrinters = "ignoremissingprinters";

QString qs(const std::string& text) { return QString::fromStdString(text); }
} // namespace

CPrinterSelectPage::CPrinterSelectPage(AppContext& context, CQPropertySheet* sheet, QWidget* parent)
    : CQPropertyPage(context, gui::IDD_TAB_PRINTER_SELECT, sheet, IDC_LIST_QUEUES, 0, parent)
{
}

void CPrinterSelectPage::bindControls()
{
    queueList_ = Item<QListWidget>(IDC_LIST_QUEUES);
    modelType_ = Item<CItemComboBox>(IDC_COMBO_MODEL_TYPE);
    destPrint_ = Item<QCheckBox>(IDC_CHECK_DEST_PRINT);
    destPrintNamed_ = Item<QCheckBox>(IDC_CHECK_DEST_PRINT_NAMED);
    destFile_ = Item<QCheckBox>(IDC_CHECK_DEST_FILE);
    destPrintName_ = Item<QLineEdit>(IDC_EDIT_DEST_PRINT_NAME);
    destFileName_ = Item<QLineEdit>(IDC_EDIT_DEST_FILE_NAME);
    for (QLineEdit* edit : {destPrintName_, destFileName_})
        if (edit) {
            edit->setMaxLength(int(kDestinationNameMax));
            connect(edit, &QLineEdit::textEdited, this, [this] {
                readEdits();
                if (this->document()) {
                    DocumentStore store(*this->document());
                    storeDestinations(model_, store);
                }
            });
        }
    if (queueList_)
        connect(queueList_, &QListWidget::currentRowChanged, this, &CPrinterSelectPage::onQueueChanged);
    const std::pair<QCheckBox*, int> boxes[] = {{destPrint_, IDC_CHECK_DEST_PRINT},
                                                {destPrintNamed_, IDC_CHECK_DEST_PRINT_NAMED},
                                                {destFile_, IDC_CHECK_DEST_FILE}};
    for (auto [box, id] : boxes)
        if (box)
            connect(box, &QCheckBox::clicked, this, [this, id = id](bool on) { onDestinationClicked(id, on); });
    if (modelType_) {
        connect(modelType_, &CItemComboBox::dropDownOpened, this, [this] { modelChange_.closedByCancel(); });
        connect(modelType_, &CItemComboBox::selectionChanged, this, &CPrinterSelectPage::onModelSelected);
        connect(modelType_, &CItemComboBox::dropDownClosed, this, &CPrinterSelectPage::onModelClosed);
        modelType_->installEventFilter(this);
    }
    if (auto* connectButton = Item<QPushButton>(IDC_BUTTON_CONNECT_PRINTER))
        connect(connectButton, &QPushButton::clicked, this, [this] {
            if (onConnectPrinter)
                onConnectPrinter();
        });
    if (auto* help = Item<QPushButton>(IDC_BUTTON_PRINTER_HELP))
        connect(help, &QPushButton::clicked, this, [this] { context().showHelp(kHelpContext); });
}

bool CPrinterSelectPage::OnInitDialog()
{
    CQPropertyPage::OnInitDialog();
    bindControls();
    RefreshQueues(false);
    if (printersPresent_) {
        fillModelTypes();
        if (document())
            document()->SetPrinterLanguage(0);
    }
    LoadFromDocument();
    if (auto* note = Item<QLabel>(IDC_STATIC_PRINTER_NOTE))
        note->clear();
    if (auto* info = Item<QLabel>(IDC_STATIC_PRINTER_INFO))
        info->setText(context().text(IdsPrinterInfo));
    return true;
}

void CPrinterSelectPage::fillModelTypes()
{
    if (!modelType_ || modelType_->count() == kModelTypeCount)
        return;
    modelType_->ResetContent();
    for (int id : kModelTypeStrings)
        modelType_->AddItem(context().text(id), true);
    modelType_->setMinimumContentsLength(0);
    modelType_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
}

// --- the model on the widgets ------------------------------------------------------------------

void CPrinterSelectPage::show()
{
    ++showing_;
    const std::pair<QWidget*, int> controls[] = {
        {destPrint_, IDC_CHECK_DEST_PRINT}, {destPrintNamed_, IDC_CHECK_DEST_PRINT_NAMED},
        {destFile_, IDC_CHECK_DEST_FILE},   {destPrintName_, IDC_EDIT_DEST_PRINT_NAME},
        {destFileName_, IDC_EDIT_DEST_FILE_NAME}};
    for (auto [widget, id] : controls)
        if (widget)
            widget->setEnabled(model_.enabled(id));
    for (auto [box, id] : {std::pair{destPrint_, IDC_CHECK_DEST_PRINT},
                           std::pair{destPrintNamed_, IDC_CHECK_DEST_PRINT_NAMED},
                           std::pair{destFile_, IDC_CHECK_DEST_FILE}})
        if (box)
            box->setChecked(model_.checked(id));
    for (auto [edit, id] : {std::pair{destPrintName_, IDC_EDIT_DEST_PRINT_NAME},
                            std::pair{destFileName_, IDC_EDIT_DEST_FILE_NAME}})
        if (edit && edit->text() != qs(model_.text(id)))
            edit->setText(qs(model_.text(id)));
    if (modelType_ && printersPresent_)
        modelType_->ForceCurSel(model_.selection(IDC_COMBO_MODEL_TYPE));
    --showing_;
}

void CPrinterSelectPage::readEdits()
{
    if (destPrintName_)
        model_.setText(IDC_EDIT_DEST_PRINT_NAME, destPrintName_->text().toStdString());
    if (destFileName_)
        model_.setText(IDC_EDIT_DEST_FILE_NAME, destFileName_->text().toStdString());
}

bool CPrinterSelectPage::LoadFromDocument()
{
    if (!document() || !HasWindow())
        return true;
    if (auto* help = GetDlgItem(IDC_BUTTON_PRINTER_HELP))
        help->setEnabled(context().hasHelp());
    modelChange_.clearKeyTyped();
    model_ = printerRules(document()->options(), printersPresent_);
    show();
    if (queueList_ && queueList_->count() > 0 && !context().state().ctrlHeld && queues_.selected >= 0) {
        ++showing_;
        queueList_->setCurrentRow(queues_.selected);
        --showing_;
    }
    ApplyPrinterTabRules();
    if (sheet())
        sheet()->RefreshDisabledTabs();
    return true;
}

bool CPrinterSelectPage::SaveToDocument()
{
    if (!document() || !HasWindow())
        return true;
    readEdits();
    // The model type stored is the one processed (asked about); a choice still waiting for its
    // question is not slipped into the job by a store.
    DocumentStore store(*document());
    storePrinterPage(model_, store);
    return true;
}

bool CPrinterSelectPage::QueryLeave()
{
    if (modelChange_.leaving())
        ProcessModelChange();
    return true;
}

bool CPrinterSelectPage::HasEditSelection()
{
    return AnyEditHasSelection({IDC_EDIT_DEST_FILE_NAME, IDC_EDIT_DEST_PRINT_NAME});
}

void CPrinterSelectPage::onDestinationClicked(int id, bool checked)
{
    readEdits();
    int focus = 0;
    if (id == IDC_CHECK_DEST_PRINT)
        focus = printDestinationClicked(model_, checked);
    else if (id == IDC_CHECK_DEST_FILE)
        focus = fileDestinationClicked(model_, checked);
    else
        focus = namedDestinationClicked(model_, checked);
    show();
    if (auto* edit = Item<QLineEdit>(focus)) {
        edit->setFocus();
        edit->selectAll();
    }
    if (document()) {
        DocumentStore store(*document());
        storeDestinations(model_, store);
    }
}

// --- the queue list ----------------------------------------------------------------------------

void CPrinterSelectPage::RefreshQueues(bool keepSelection)
{
    std::vector<SpoolerQueue> queues;
    if (lister_)
        lister_(queues);
    const std::string keep = keepSelection ? rememberedQueue_ : std::string();
    queues_ = buildQueueList(queues, context().text(IdsQueueItem).toStdString(), keep);
    if (queueList_) {
        ++showing_;
        queueList_->clear();
        for (const QueueEntry& entry : queues_.entries)
            queueList_->addItem(qs(entry.text));
        if (queues_.selected >= 0)
            queueList_->setCurrentRow(queues_.selected);
        --showing_;
    }
    if (queues_.selected >= 0) {
        selectedText_ = queues_.entries[size_t(queues_.selected)].text;
        rememberedQueue_ = queues_.selectedName();
    }
    if (queues_.entries.empty()) {
        if (printersPresent_ && !noticePosted_ && !ignoreMissingPrinters()) {
            noticePosted_ = true;
            QTimer::singleShot(0, this, &CPrinterSelectPage::OnNoPrinters);
        }
    } else if (!printersPresent_) {
        // The print server is back: the model types return with its queues.
        printersPresent_ = true;
        noticePosted_ = false;
        fillModelTypes();
        LoadFromDocument();
    }
}

bool CPrinterSelectPage::ignoreMissingPrinters() const
{
    if (!document())
        return false;
    return Profile::getInt(document()->config().profilePath(), kDebugSection, kIgnoreMissingPrinters, 0) != 0;
}

void CPrinterSelectPage::OnNoPrinters()
{
    noticePosted_ = false;
    if (!queues_.entries.empty() || !printersPresent_)
        return;
    if (document()) {
        document()->dialogs().messageBox(context().text(IdsNoPrinter).toStdString(), MessageIcon::Stop, MessageButtons::Ok);
        document()->SetModifiedFlag(false);
    }
    printersPresent_ = false;
    if (modelType_)
        modelType_->ResetContent();
    model_.select(IDC_COMBO_MODEL_TYPE, -1, 0);
}

void CPrinterSelectPage::onQueueChanged(int row)
{
    if (showing_ || row < 0 || row >= QueueCount())
        return;
    queues_.selected = row;
    rememberedQueue_ = queues_.nameAt(row);
    selectedText_ = queues_.entries[size_t(row)].text;
    if (document())
        document()->SetModifiedFlag(true);
}

std::string CPrinterSelectPage::GetSelectedQueueName(int index) const
{
    return queues_.nameAt(index < 0 ? queues_.selected : index);
}

// --- the model type ----------------------------------------------------------------------------

bool CPrinterSelectPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == modelType_) {
        if (event->type() == QEvent::KeyPress)
            modelChange_.keyTyped();
        else if (event->type() == QEvent::FocusOut && modelChange_.focusLeft())
            QTimer::singleShot(0, this, &CPrinterSelectPage::ProcessModelChange);
    }
    return CQPropertyPage::eventFilter(watched, event);
}

void CPrinterSelectPage::onModelSelected()
{
    // An entry was chosen: the list (if it was open) closes by a choice, not by a cancel.
    modelChange_.closedByChoice();
}

void CPrinterSelectPage::onModelClosed()
{
    // The list reports its close before the entry clicked in it becomes the choice: the close-up
    // is handled once that has happened.
    if (!showing_)
        QTimer::singleShot(0, this, &CPrinterSelectPage::onModelClosedUp);
}

void CPrinterSelectPage::onModelClosedUp()
{
    if (!modelType_ || !document())
        return;
    // The list may still report itself open while it closes (it flashes the chosen entry).
    const bool stillOpen = modelType_->view() && modelType_->view()->isVisible();
    if (modelChange_.closeUp(stillOpen))
        modelType_->ForceCurSel(document()->GetPrinterLanguage());
    ProcessModelChange();
}

void CPrinterSelectPage::ProcessModelChange()
{
    if (!modelType_ || !document())
        return;
    const bool listOpen = modelType_->view() && modelType_->view()->isVisible();
    if (!modelChange_.mayProcess(listOpen))
        return;
    const int chosen = modelType_->GetCurSel();
    const int old = document()->GetPrinterLanguage();
    switch (modelChangeStep(chosen, old, silentChange_)) {
    case ModelChangeStep::Nothing:
        return;
    case ModelChangeStep::Ask:
        if (document()->dialogs().messageBox(modelChangeQuestion(document()->strings(), chosen), MessageIcon::Question,
                                             MessageButtons::OkCancel) != MessageAnswer::Ok) {
            modelType_->ForceCurSel(old);
            return;
        }
        break;
    case ModelChangeStep::Apply:
        break;
    }
    document()->SetPrinterLanguage(chosen);
    if (!silentChange_)
        document()->ResetForPrinterChange();
    afterModelChange();
}

void CPrinterSelectPage::afterModelChange()
{
    // Every page shows the job as the new model type leaves it.
    if (sheet())
        sheet()->LoadPages(-1);
    ApplyPrinterTabRules();
    document()->SetModifiedFlag(true);
}

void CPrinterSelectPage::SelectModelSilently(int index)
{
    if (!modelType_)
        return;
    modelType_->ForceCurSel(index);
    silentChange_ = true;
    ProcessModelChange();
    silentChange_ = false;
}

void CPrinterSelectPage::ApplyPrinterTabRules()
{
    if (!sheet() || !document())
        return;
    const PrinterTabs tabs = printerTabRules(document()->options(), document()->GetFreeformColorAtLoad());
    tabs.paperExceptions ? (void)sheet()->EnableTab(PagePaperExceptions) : sheet()->DisableTab(PagePaperExceptions);
    tabs.colorMapping ? (void)sheet()->EnableTab(PageColorMapping) : sheet()->DisableTab(PageColorMapping);
}

} // namespace spx::gui
