#include "JobSetup2Page.h"

#include "PageIds.h"
#include "DocumentPaperSource.h"

namespace spx::gui {

CJobSetup2Page::CJobSetup2Page(AppContext& context, CQPropertySheet* sheet, QWidget* parent)
    : CQPropertyPage(context, IDD_TAB_JOB_SETUP2, sheet, 1094, 0, parent)
{
    if (CSpxDoc* doc = document())
        paperSource_ = std::make_unique<DocumentPaperSource>(*doc);
}

bool CJobSetup2Page::HasEditSelection()
{
    return AnyEditHasSelection({1040, 1041, 1075, 1074});
}

IPaperSource* CJobSetup2Page::GetPaperSource()
{
    return paperSource_.get();
}

} // namespace spx::gui
