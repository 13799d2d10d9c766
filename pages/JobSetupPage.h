#pragma once
// Page 2: copies, plex mode, page range, papers, covers, finishing, proof set and chapters.
// The page loads its template and offers its controls by id; the rules of its controls are
// added with the page's own behaviour.

#include <memory>

#include "PaperSource.h"
#include "QPropertyPage.h"

namespace spx::gui {

class CJobSetup2Page;
class CJobSetupPage : public CQPropertyPage {
    Q_OBJECT
public:
    CJobSetupPage(AppContext& context, CQPropertySheet* sheet, QWidget* parent = nullptr);

    bool HasEditSelection() override;
    IPaperSource* GetPaperSource() override;

    // The two job setup pages know each other (set by the view once both exist).
    void setPartner(CJobSetup2Page* partner) { partner_ = partner; }
    CJobSetup2Page* partner() const { return partner_; }

private:
    std::unique_ptr<IPaperSource> paperSource_;
    CJobSetup2Page* partner_ = nullptr;
};

} // namespace spx::gui
