#include "OptionAvailability.h"

#include "SpxDoc.h"
#include "rules/JobSetupRules.h"

namespace spx {

OptionAvailability readOptionAvailability(const JobSetupModels& models)
{
    using namespace ids;
    const PageModel& setup = models.setup;
    const PageModel& setup2 = models.setup2;
    OptionAvailability a;
    a.folding = setup.enabled(IDC_COMBO_FOLD_MODE);
    a.stacking = setup.enabled(IDC_COMBO_STACK_MODE);
    a.frontCover = setup.enabled(IDC_COMBO_FRONT_COVER);
    a.backCover = setup.enabled(IDC_COMBO_BACK_COVER);
    a.backCoverPaper = setup.enabled(IDC_COMBO_BACK_COVER_PAPER);
    a.chapterPages = setup.enabled(IDC_EDIT_CHAPTER_PAGES_LIST);
    a.headerPaper = setup2.enabled(IDC_COMBO_HEADER_PAPER);
    a.separatorPaper = setup2.enabled(IDC_COMBO_SEPAR_PAPER);
    a.page5Disabled = !models.tabEnabled[kPagePaperExceptions];
    return a;
}

OptionAvailability computeOptionAvailability(const JobOptions& options, const ItemLockFlags& locks)
{
    return readOptionAvailability(jobSetupRules(options, locks));
}

OptionAvailability computeOptionAvailability(const CSpxDoc& document, const ItemLockFlags& locks)
{
    return computeOptionAvailability(document.options(), locks);
}

} // namespace spx
