#include "PrinterSelectPage.h"

#include "PageIds.h"

namespace spx::gui {

CPrinterSelectPage::CPrinterSelectPage(AppContext& context, CQPropertySheet* sheet, QWidget* parent)
    : CQPropertyPage(context, IDD_TAB_PRINTER_SELECT, sheet, 1038, 0, parent)
{
}

bool CPrinterSelectPage::HasEditSelection()
{
    return AnyEditHasSelection({1072, 1073});
}

} // namespace spx::gui
