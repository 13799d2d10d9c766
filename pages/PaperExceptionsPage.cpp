#include "PaperExceptionsPage.h"

#include "PageGlobals.h"

namespace spx::gui {

CPaperExceptionsPage::CPaperExceptionsPage(CQPropertySheet* sheet, CSpxDoc* document, QWidget* parent)
    : CQPropertyPage(IDD_TAB_PAPER_EXCEPTIONS, document, sheet, 1006, 0, parent)
{
    thePaperExceptionsPage = this;
}

CPaperExceptionsPage::~CPaperExceptionsPage()
{
    if (thePaperExceptionsPage == this)
        thePaperExceptionsPage = nullptr;
}

bool CPaperExceptionsPage::OnInitDialog()
{
    CQPropertyPage::OnInitDialog();
    return LoadFromDocument();
}

bool CPaperExceptionsPage::SaveToDocument()
{
    return true;
}

bool CPaperExceptionsPage::LoadFromDocument()
{
    return true;
}

bool CPaperExceptionsPage::HasEditSelection()
{
    return AnyEditHasSelection({1031});
}

} // namespace spx::gui
