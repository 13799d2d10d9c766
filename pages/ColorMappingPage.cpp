#include "ColorMappingPage.h"

#include "PageIds.h"

namespace spx::gui {

CColorMappingPage::CColorMappingPage(AppContext& context, CQPropertySheet* sheet, QWidget* parent)
    : CQPropertyPage(context, IDD_TAB_COLOR_MAPPING, sheet, 1000, 0, parent)
{
}

} // namespace spx::gui
