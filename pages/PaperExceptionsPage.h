#pragma once
// Page 5: page lists printed on papers other than the job paper.
// The page loads its template and offers its controls by id; the rules of its controls are
// added with the page's own behaviour.

#include "QPropertyPage.h"

namespace spx::gui {

class CPaperExceptionsPage : public CQPropertyPage {
    Q_OBJECT
public:
    CPaperExceptionsPage(AppContext& context, CQPropertySheet* sheet, QWidget* parent = nullptr);

    bool HasEditSelection() override;
};

} // namespace spx::gui
