#pragma once
// What a paper combo box asks about the papers it lists: the position of a paper found by its
// name, and the five descriptive texts of the paper at a 0-based index. The job setup pages
// answer through the job document, the paper exceptions page through a source of its own.

#include <array>
#include <string>

namespace spx::gui {

class IPaperSource {
public:
    virtual ~IPaperSource() = default;
    // 1-based catalogue position of the paper of that name; 0 when there is none.
    virtual int FindPaperByName(const std::string& name) const = 0;
    // The five texts shown in the paper info popup; false when the paper cannot be read.
    virtual bool PaperInfoTexts(int index, std::array<std::string, 5>& texts) const = 0;
};

} // namespace spx::gui
