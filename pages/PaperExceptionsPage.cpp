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

bool CPaperExceptionsPage::QueryLeave()
{
    return true;
}

bool CPaperExceptionsPage::HasEditSelection()
{
    for (int id : {1031})
        if (QWidget* edit = GetDlgItem(id); edit && EditHasSelection(edit))
            return true;
    return false;
}

IPaperSource* CPaperExceptionsPage::GetPaperSource()
{
    return nullptr;
}

int CPaperExceptionsPage::GetFocusControlId()
{
    return CQPropertyPage::GetFocusControlId();
}

} // namespace spx::gui
