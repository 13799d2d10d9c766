#include "SpxView.h"

#include <QVBoxLayout>

#include "ColorMappingPage.h"
#include "CustomOptionsPage.h"
#include "FileSelectPage.h"
#include "JobSetup2Page.h"
#include "JobSetupPage.h"
#include "PageIds.h"
#include "PaperExceptionsPage.h"
#include "PrinterSelectPage.h"
#include "QPropertySheet.h"

namespace spx::gui {

CSpxView::CSpxView(AppContext& context, QWidget* parent)
    : QWidget(parent), context_(context), document_(context.document())
{
    setObjectName(QStringLiteral("view"));
    // The form's own background: light grey.
    setAutoFillBackground(true);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(grey);
    if (document_)
        document_->setViews(this);
}

CSpxView::~CSpxView()
{
    if (document_)
        document_->setViews(nullptr);
    if (sheet_) {
        // The pages go first, then the sheet. Taking the tabs away moves the sheet's current
        // index, which must not enter pages (and store into the job) on the way out.
        sheet_->blockSignals(true);
        while (sheet_->count() > 0) {
            QWidget* page = sheet_->widget(0);
            sheet_->removeTab(0);
            delete page;
        }
        delete sheet_;
        sheet_ = nullptr;
    }
    if (context_.view() == this)
        context_.setView(nullptr);
}

bool CSpxView::createSheet()
{
    sheet_ = new CQPropertySheet(context_, this);
    sheet_->setPalette(QPalette());   // the sheet keeps the ordinary dialog colours
    sheet_->setAutoFillBackground(true);
    CQPropertyPage* pages[PageCount] = {
        new CPrinterSelectPage(context_, sheet_),
        new CFileSelectPage(context_, sheet_),
        new CJobSetupPage(context_, sheet_),
        new CJobSetup2Page(context_, sheet_),
        new CCustomOptionsPage(context_, sheet_),
        new CPaperExceptionsPage(context_, sheet_),
        new CColorMappingPage(context_, sheet_),
    };
    for (int i = 0; i < PageCount; ++i) {
        sheet_->AddPage(pages[i]);
        pages[i]->setTabIndex(i);
    }
    static_cast<CPrinterSelectPage*>(pages[PagePrinterSelect])->setQueueLister([this](std::vector<SpoolerQueue>& queues) {
        std::unique_ptr<Spooler> spooler = context_.makeSpooler();
        return spooler && spooler->listQueues(queues);
    });
    auto* setup = static_cast<CJobSetupPage*>(pages[PageJobSetup]);
    auto* setup2 = static_cast<CJobSetup2Page*>(pages[PageJobSetup2]);
    setup->setPartner(setup2);
    setup2->setPartner(setup);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(sheet_);
    sheet_->CreateSheetWindow();
    return true;
}

bool CSpxView::OnInitialUpdate()
{
    if (!firstUpdate) {
        LoadActive(true);
        return true;
    }
    firstUpdate = false;
    // Every page makes its window once (the first one as the sheet is made); page set-up must
    // not leave changes in the job, the page it names included.
    if (document_)
        document_->scratch() = document_->options();
    if (!createSheet())
        return false;
    for (int index : {0, 2, 3, 4, 5, 6, 1})
        sheet_->SetActivePage(index);
    if (document_)
        document_->options() = document_->scratch();

    if (context_.state().restorePage && document_) {
        sheet_->SetActivePage(document_->GetActivePage());
        context_.state().restorePage = false;
    } else {
        sheet_->SetActivePage(PageFileSelect);
    }
    sheet_->InitTabLabels();
    refreshSettingsPages();
    if (document_)
        document_->SetModifiedFlag(false);
    LoadActive(false);
    emit sheetCreated();
    return true;
}

void CSpxView::refreshSettingsPages()
{
    // The pages whose state follows the loaded settings refresh and store themselves without
    // repainting the tab row in between.
    sheet_->setRedrawEnabled(false);
    for (int index : {PageJobSetup, PageJobSetup2, PageCustomOptions, PageFileSelect}) {
        if (CQPropertyPage* page = sheet_->GetPage(index); page && page->HasWindow()) {
            page->LoadFromDocument();
            page->SaveToDocument();
        }
    }
    sheet_->setRedrawEnabled(true);
}

void CSpxView::OnUpdate()
{
    if (!sheet_ || !document_)
        return;
    LoadActive(false);
    sheet_->SetActivePage(document_->GetActivePage());
    switch (document_->GetSettingsMode()) {
    case 2:
        for (int index : {PageJobSetup, PageJobSetup2, PagePaperExceptions, PageColorMapping, PageCustomOptions})
            sheet_->DisableTab(index);
        break;
    case 1:
        sheet_->EnableTab(PageCustomOptions);
        break;
    default:
        break;
    }
}

void CSpxView::LoadActive(bool all)
{
    if (!sheet_ || !document_)
        return;
    sheet_->LoadPages(all ? -1 : sheet_->GetActiveIndex());
}

void CSpxView::SaveActive()
{
    if (!sheet_ || !document_)
        return;
    const int active = sheet_->GetActiveIndex();
    if (sheet_->SavePages(active))
        document_->SetActivePage(active);
}

CPrinterSelectPage* CSpxView::printerPage() const
{
    return sheet_ ? qobject_cast<CPrinterSelectPage*>(sheet_->GetPage(PagePrinterSelect)) : nullptr;
}

void CSpxView::RefreshQueuesOnActivate()
{
    // Queues added or removed with the system's printer settings appear as soon as the operator
    // comes back to the window; a print server that was down is asked again too.
    if (CPrinterSelectPage* page = printerPage(); page && page->HasWindow() && !sending)
        page->RefreshQueues(true);
}

void CSpxView::OnSendCommand() {}

bool CSpxView::validateAndStorePages()
{
    if (!sheet_)
        return true;
    if (!sheet_->QueryLeavePage(sheet_->GetActiveIndex()))
        return false;
    sheet_->SavePages(-1);
    return true;
}

void CSpxView::showLoadedValues()
{
    if (firstUpdate)
        return;
    OnUpdate();
}

} // namespace spx::gui
