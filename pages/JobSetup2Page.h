#pragma once
// Page 3: status page, paper mismatch, header page, separators, pamphlets, colour, job texts.
// The page loads its template and offers its controls by id; the rules of its controls are
// added with the page's own behaviour.

#include <memory>

#include "PaperSource.h"
#include "QPropertyPage.h"

namespace spx::gui {

class CJobSetupPage;
class CJobSetup2Page : public CQPropertyPage {
    Q_OBJECT
public:
    CJobSetup2Page(AppContext& context, CQPropertySheet* sheet, QWidget* parent = nullptr);

    bool HasEditSelection() override;
    IPaperSource* GetPaperSource() override;

    // The two job setup pages know each other (set by the view once both exist).
    void setPartner(CJobSetupPage* partner) { partner_ = partner; }
    CJobSetupPage* partner() const { return partner_; }

private:
    std::unique_ptr<IPaperSource> paperSource_;
    CJobSetupPage* partner_ = nullptr;
};

} // namespace spx::gui
