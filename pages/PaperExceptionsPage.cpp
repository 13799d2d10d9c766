#include "PaperExceptionsPage.h"

#include "PageIds.h"

namespace spx::gui {

CPaperExceptionsPage::CPaperExceptionsPage(AppContext& context, CQPropertySheet* sheet, QWidget* parent)
    : CQPropertyPage(context, IDD_TAB_PAPER_EXCEPTIONS, sheet, 1006, 0, parent)
{
}

bool CPaperExceptionsPage::HasEditSelection()
{
    return AnyEditHasSelection({1031});
}

} // namespace spx::gui
