#include "CustomOptionsPage.h"

#include "PageGlobals.h"

namespace spx::gui {

CCustomOptionsPage::CCustomOptionsPage(CQPropertySheet* sheet, CSpxDoc* document, QWidget* parent)
    : CQPropertyPage(IDD_TAB_CUSTOM_OPTIONS, document, sheet, 1016, 0, parent)
{
    theCustomOptionsPage = this;
}

CCustomOptionsPage::~CCustomOptionsPage()
{
    if (theCustomOptionsPage == this)
        theCustomOptionsPage = nullptr;
}

bool CCustomOptionsPage::OnInitDialog()
{
    CQPropertyPage::OnInitDialog();
    return LoadFromDocument();
}

bool CCustomOptionsPage::SaveToDocument()
{
    return true;
}

bool CCustomOptionsPage::LoadFromDocument()
{
    return true;
}

bool CCustomOptionsPage::HasEditSelection()
{
    return AnyEditHasSelection({1056, 1016});
}

} // namespace spx::gui
