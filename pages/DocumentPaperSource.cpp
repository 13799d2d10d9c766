#include "DocumentPaperSource.h"

#include "PaperRecord.h"
#include "SpxDoc.h"

namespace spx::gui {

int DocumentPaperSource::FindPaperByName(const std::string& name) const
{
    return document_.FindPaper(name);
}

bool DocumentPaperSource::PaperInfoTexts(int index, std::array<std::string, 5>& texts) const
{
    PaperRecord paper;
    if (!document_.paperList().Get(index + 1, paper.bytes))
        return false;
    texts = {paper.name(), std::to_string(paper.sizeCode()), paper.attribute(1), paper.attribute(2),
             paper.attribute(3)};
    return true;
}

} // namespace spx::gui
