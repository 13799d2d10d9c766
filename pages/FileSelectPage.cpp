#include "FileSelectPage.h"

#include "PageIds.h"

namespace spx::gui {

CFileSelectPage::CFileSelectPage(AppContext& context, CQPropertySheet* sheet, QWidget* parent)
    : CQPropertyPage(context, IDD_TAB_FILE_SELECT, sheet, -1, 345, parent)
{
}

bool CFileSelectPage::HasEditSelection()
{
    return AnyEditHasSelection({1156});
}

bool CFileSelectPage::AddFile(const QString&, bool)
{
    return false;
}

void CFileSelectPage::RefreshFolders() {}

} // namespace spx::gui
