#include "JobSetupPage.h"

#include "PageIds.h"
#include "DocumentPaperSource.h"

namespace spx::gui {

CJobSetupPage::CJobSetupPage(AppContext& context, CQPropertySheet* sheet, QWidget* parent)
    : CQPropertyPage(context, IDD_TAB_JOB_SETUP, sheet, 2612, 0, parent)
{
    if (CSpxDoc* doc = document())
        paperSource_ = std::make_unique<DocumentPaperSource>(*doc);
}

bool CJobSetupPage::HasEditSelection()
{
    return AnyEditHasSelection({2612, 1084, 1085, 1064, 1062});
}

IPaperSource* CJobSetupPage::GetPaperSource()
{
    return paperSource_.get();
}

} // namespace spx::gui
