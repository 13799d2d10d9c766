#include "CustomOptionsPage.h"

#include "PageIds.h"

namespace spx::gui {

CCustomOptionsPage::CCustomOptionsPage(AppContext& context, CQPropertySheet* sheet, QWidget* parent)
    : CQPropertyPage(context, IDD_TAB_CUSTOM_OPTIONS, sheet, 1016, 0, parent)
{
}

bool CCustomOptionsPage::HasEditSelection()
{
    return AnyEditHasSelection({1056, 1016});
}

} // namespace spx::gui
