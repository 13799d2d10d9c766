#pragma once
// Page 4: free printer-language text for the job header and an include file.
// The page loads its template and offers its controls by id; the rules of its controls are
// added with the page's own behaviour.

#include "QPropertyPage.h"

namespace spx::gui {

class CCustomOptionsPage : public CQPropertyPage {
    Q_OBJECT
public:
    CCustomOptionsPage(AppContext& context, CQPropertySheet* sheet, QWidget* parent = nullptr);

    bool HasEditSelection() override;
};

} // namespace spx::gui
