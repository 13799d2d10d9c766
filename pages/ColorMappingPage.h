#pragma once
// Page 6: the printer colour of each of the eight colour slots of the job.
// The page loads its template and offers its controls by id; the rules of its controls are
// added with the page's own behaviour.

#include "QPropertyPage.h"

namespace spx::gui {

class CColorMappingPage : public CQPropertyPage {
    Q_OBJECT
public:
    CColorMappingPage(AppContext& context, CQPropertySheet* sheet, QWidget* parent = nullptr);
};

} // namespace spx::gui
