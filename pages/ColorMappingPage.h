#pragma once
// Page 6: the printer colour of each of the eight colour slots of the job.
// The page loads its template and offers its controls by id; the rules of its controls are
// added with the page's own behaviour.

#include "QPropertyPage.h"

namespace spx::gui {

class CColorMappingPage : public CQPropertyPage {
    Q_OBJECT
public:
    CColorMappingPage(CQPropertySheet* sheet, CSpxDoc* document, QWidget* parent = nullptr);
    ~CColorMappingPage() override;

    bool SaveToDocument() override;
    bool LoadFromDocument() override;
    bool OnInitDialog() override;
};

} // namespace spx::gui
