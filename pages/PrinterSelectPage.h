#pragma once
// Page 0: the spooler queue, the printer model type and where the job stream goes.
// The page loads its template and offers its controls by id; the rules of its controls are
// added with the page's own behaviour.

#include "QPropertyPage.h"

namespace spx::gui {

class CPrinterSelectPage : public CQPropertyPage {
    Q_OBJECT
public:
    CPrinterSelectPage(AppContext& context, CQPropertySheet* sheet, QWidget* parent = nullptr);

    bool HasEditSelection() override;
};

} // namespace spx::gui
