#pragma once
// The job document as the paper source of the paper combo boxes: papers are found by name in
// the paper catalogue list, and the popup shows a paper's name, size code and three attributes.

#include "PaperSource.h"

namespace spx {
class CSpxDoc;
}

namespace spx::gui {

class DocumentPaperSource : public IPaperSource {
public:
    explicit DocumentPaperSource(CSpxDoc& document) : document_(document) {}
    int FindPaperByName(const std::string& name) const override;
    bool PaperInfoTexts(int index, std::array<std::string, 5>& texts) const override;

private:
    CSpxDoc& document_;
};

} // namespace spx::gui
