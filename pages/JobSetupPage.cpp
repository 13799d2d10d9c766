#include "JobSetupPage.h"

#include "PageGlobals.h"
#include "DocumentPaperSource.h"

namespace spx::gui {

CJobSetupPage::CJobSetupPage(CQPropertySheet* sheet, CSpxDoc* document, QWidget* parent)
    : CQPropertyPage(IDD_TAB_JOB_SETUP, document, sheet, 2612, 0, parent)
{
    if (document)
        paperSource_ = std::make_unique<DocumentPaperSource>(*document);
    theJobSetupPage = this;
}

CJobSetupPage::~CJobSetupPage()
{
    if (theJobSetupPage == this)
        theJobSetupPage = nullptr;
}

bool CJobSetupPage::OnInitDialog()
{
    CQPropertyPage::OnInitDialog();
    return LoadFromDocument();
}

bool CJobSetupPage::SaveToDocument()
{
    return true;
}

bool CJobSetupPage::LoadFromDocument()
{
    return true;
}

bool CJobSetupPage::HasEditSelection()
{
    return AnyEditHasSelection({2612, 1084, 1085, 1064, 1062});
}

IPaperSource* CJobSetupPage::GetPaperSource()
{
    return paperSource_.get();
}

} // namespace spx::gui
