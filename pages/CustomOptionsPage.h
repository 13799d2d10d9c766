#pragma once
// Page 4: free printer-language text for the job header and an include file.
// The page loads its template and offers its controls by id; the rules of its controls are
// added with the page's own behaviour.

#include "QPropertyPage.h"

namespace spx::gui {

class CCustomOptionsPage : public CQPropertyPage {
    Q_OBJECT
public:
    CCustomOptionsPage(CQPropertySheet* sheet, CSpxDoc* document, QWidget* parent = nullptr);
    ~CCustomOptionsPage() override;

    bool SaveToDocument() override;
    bool LoadFromDocument() override;
    bool HasEditSelection() override;
    bool OnInitDialog() override;
};

} // namespace spx::gui
