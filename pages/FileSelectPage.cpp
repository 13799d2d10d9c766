#include "FileSelectPage.h"

#include "PageGlobals.h"

namespace spx::gui {

CFileSelectPage::CFileSelectPage(CQPropertySheet* sheet, CSpxDoc* document, QWidget* parent)
    : CQPropertyPage(IDD_TAB_FILE_SELECT, document, sheet, -1, 345, parent)
{
    theFileSelectPage = this;
}

CFileSelectPage::~CFileSelectPage()
{
    if (theFileSelectPage == this)
        theFileSelectPage = nullptr;
}

bool CFileSelectPage::OnInitDialog()
{
    CQPropertyPage::OnInitDialog();
    return LoadFromDocument();
}

bool CFileSelectPage::SaveToDocument()
{
    return true;
}

bool CFileSelectPage::LoadFromDocument()
{
    return true;
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
