#include "ColorMappingPage.h"

#include "PageGlobals.h"

namespace spx::gui {

CColorMappingPage::CColorMappingPage(CQPropertySheet* sheet, CSpxDoc* document, QWidget* parent)
    : CQPropertyPage(IDD_TAB_COLOR_MAPPING, document, sheet, 1000, 0, parent)
{
}

CColorMappingPage::~CColorMappingPage()
{
}

bool CColorMappingPage::OnInitDialog()
{
    CQPropertyPage::OnInitDialog();
    return LoadFromDocument();
}

bool CColorMappingPage::SaveToDocument()
{
    return true;
}

bool CColorMappingPage::LoadFromDocument()
{
    return true;
}

} // namespace spx::gui
