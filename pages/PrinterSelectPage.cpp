#include "PrinterSelectPage.h"

#include "PageGlobals.h"

namespace spx::gui {

CPrinterSelectPage::CPrinterSelectPage(CQPropertySheet* sheet, CSpxDoc* document, QWidget* parent)
    : CQPropertyPage(IDD_TAB_PRINTER_SELECT, document, sheet, 1038, 0, parent)
{
    thePrinterSelectPage = this;
}

CPrinterSelectPage::~CPrinterSelectPage()
{
    if (thePrinterSelectPage == this)
        thePrinterSelectPage = nullptr;
}

bool CPrinterSelectPage::OnInitDialog()
{
    CQPropertyPage::OnInitDialog();
    return LoadFromDocument();
}

bool CPrinterSelectPage::SaveToDocument()
{
    return true;
}

bool CPrinterSelectPage::LoadFromDocument()
{
    return true;
}

bool CPrinterSelectPage::HasEditSelection()
{
    return AnyEditHasSelection({1072, 1073});
}

} // namespace spx::gui
