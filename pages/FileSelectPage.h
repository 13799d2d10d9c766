#pragma once
// Page 1: the print files of the job, their printer language and how much of the sheet applies.
// The page loads its template and offers its controls by id; the rules of its controls are
// added with the page's own behaviour.

#include "QPropertyPage.h"

namespace spx::gui {

class CFileSelectPage : public CQPropertyPage {
    Q_OBJECT
public:
    CFileSelectPage(AppContext& context, CQPropertySheet* sheet, QWidget* parent = nullptr);

    bool HasEditSelection() override;

    // Adds a print file to the job's file list (the drop handler uses it too); false when the
    // file cannot be added. The list itself comes with the file selection rules.
    virtual bool AddFile(const QString& path, bool reportFailures);
    // Rereads the folders shown on the page (F5).
    virtual void RefreshFolders();
};

} // namespace spx::gui
