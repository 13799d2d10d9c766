#include "JobSetup2Page.h"

#include "PageGlobals.h"
#include "DocumentPaperSource.h"

namespace spx::gui {

CJobSetup2Page::CJobSetup2Page(CQPropertySheet* sheet, CSpxDoc* document, QWidget* parent)
    : CQPropertyPage(IDD_TAB_JOB_SETUP2, document, sheet, 1094, 0, parent)
{
    if (document)
        paperSource_ = std::make_unique<DocumentPaperSource>(*document);
    theJobSetup2Page = this;
}

CJobSetup2Page::~CJobSetup2Page()
{
    if (theJobSetup2Page == this)
        theJobSetup2Page = nullptr;
}

bool CJobSetup2Page::OnInitDialog()
{
    CQPropertyPage::OnInitDialog();
    return LoadFromDocument();
}

bool CJobSetup2Page::SaveToDocument()
{
    return true;
}

bool CJobSetup2Page::LoadFromDocument()
{
    return true;
}

bool CJobSetup2Page::HasEditSelection()
{
    return AnyEditHasSelection({1040, 1041, 1075, 1074});
}

IPaperSource* CJobSetup2Page::GetPaperSource()
{
    return paperSource_.get();
}

} // namespace spx::gui
