// The option sheet: tab order, per-tab disabling with its return values and repaint rules, and
// that a disabled tab cannot be entered by mouse, keyboard or code.
#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "ItemComboBox.h"
#include "PaperSource.h"
#include "PageIds.h"
#include "QPropertyPage.h"
#include "QPropertySheet.h"

namespace spx::gui::test {
namespace {

// Papers of a catalogue of two.
class TwoPapers : public IPaperSource {
public:
    int FindPaperByName(const std::string& name) const override
    {
        return name == "Recycled A4 80 g/m2 white, uncoated" ? 1 : name == "Card" ? 2 : 0;
    }
    bool PaperInfoTexts(int index, std::array<std::string, 5>& texts) const override
    {
        if (index == 0)
            texts = {"Recycled A4 80 g/m2 white, uncoated", "A4", "White", "80", "Plain"};
        else
            texts = {"Card", "A3", "Ivory", "250", "Card"};
        return true;
    }
};

// A page that counts the protocol calls and can refuse to be left.
class ProbePage : public CQPropertyPage {
public:
    IPaperSource* GetPaperSource() override { return &papers; }
    TwoPapers papers;
    ProbePage(AppContext& context, int templateId, CQPropertySheet* sheet, int focusId)
        : CQPropertyPage(context, templateId, sheet, focusId, 0) {}
    bool SaveToDocument() override { ++saves; return saveResult; }
    bool LoadFromDocument() override { ++loads; return true; }
    bool QueryLeave() override { ++queries; return leaveAllowed; }
    int saves = 0, loads = 0, queries = 0;
    bool saveResult = true;
    bool leaveAllowed = true;
};

class SheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bundle.ok());
        sheet = std::make_unique<CQPropertySheet>(bundle.context);
        const int templates[PageCount] = {IDD_TAB_PRINTER_SELECT, IDD_TAB_FILE_SELECT, IDD_TAB_JOB_SETUP,
                                          IDD_TAB_JOB_SETUP2, IDD_TAB_CUSTOM_OPTIONS, IDD_TAB_PAPER_EXCEPTIONS,
                                          IDD_TAB_COLOR_MAPPING};
        for (int i = 0; i < PageCount; ++i) {
            pages[i] = new ProbePage(bundle.context, templates[i], sheet.get(), i == PageJobSetup ? 2612 : -1);
            sheet->AddPage(pages[i]);
            pages[i]->setTabIndex(i);
        }
        sheet->resize(900, 600);
        sheet->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet.get()));
        sheet->CreateSheetWindow();
    }

    void clickTab(int index)
    {
        QTabBar* bar = sheet->GetTabControl();
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(index).center());
    }

    BundleScope bundle;
    std::unique_ptr<CQPropertySheet> sheet;
    ProbePage* pages[PageCount] = {};
};

TEST_F(SheetTest, PagesAreCreatedOnFirstActivationInTheirFixedOrder)
{
    EXPECT_EQ(sheet->GetActiveIndex(), 0);
    EXPECT_TRUE(pages[0]->HasWindow());
    EXPECT_FALSE(pages[3]->HasWindow());
    EXPECT_TRUE(sheet->SetActivePage(3));
    EXPECT_TRUE(pages[3]->HasWindow());
    EXPECT_TRUE(pages[3]->initialised());
    // Controls are reached by their ids.
    EXPECT_NE(pages[3]->GetDlgItem(1094), nullptr);
    EXPECT_EQ(pages[3]->GetDlgItem(1094)->objectName(), QStringLiteral("IDC_CHECK_FREEFORM_COLOR"));
    sheet->InitTabLabels();
    EXPECT_EQ(sheet->tabText(3).toStdString(), text(519));
    EXPECT_EQ(sheet->tabText(6).toStdString(), text(438));
}

TEST_F(SheetTest, DisablingTheActiveTabMovesToTheFilePageAndPageOneStaysWhenItIsActive)
{
    sheet->SetActivePage(2);
    sheet->DisableTab(2);
    EXPECT_EQ(sheet->GetActiveIndex(), PageFileSelect);
    EXPECT_TRUE(sheet->IsTabDisabled(2));

    sheet->DisableTab(PageFileSelect);
    EXPECT_EQ(sheet->GetActiveIndex(), PageFileSelect);
    EXPECT_TRUE(sheet->IsTabDisabled(PageFileSelect));
}

TEST_F(SheetTest, EnableTabReturnValuesAndRepaintingBeforeAndAfterTheLabelsAreSetUp)
{
    // Before the labels exist nothing is painted, and re-enabling answers 0.
    sheet->DisableTab(5);
    EXPECT_FALSE(sheet->TabShownDisabled(5));
    EXPECT_FALSE(sheet->EnableTab(5));
    EXPECT_FALSE(sheet->IsTabDisabled(5));
    EXPECT_TRUE(sheet->EnableTab(5));   // not disabled: 1 at once

    sheet->DisableTab(6);
    sheet->InitTabLabels();
    EXPECT_TRUE(sheet->TabShownDisabled(6));   // a tab disabled earlier shows grey as well
    EXPECT_TRUE(sheet->EnableTab(6));
    EXPECT_FALSE(sheet->TabShownDisabled(6));

    // With redrawing off the state changes at once, the label only at the next refresh.
    sheet->setRedrawEnabled(false);
    sheet->DisableTab(4);
    EXPECT_TRUE(sheet->IsTabDisabled(4));
    EXPECT_FALSE(sheet->TabShownDisabled(4));
    sheet->RefreshDisabledTabs();
    EXPECT_TRUE(sheet->TabShownDisabled(4));
    EXPECT_TRUE(sheet->redrawEnabled());

    // Indices outside the row are ignored.
    sheet->DisableTab(7);
    sheet->DisableTab(-1);
    EXPECT_FALSE(sheet->IsTabDisabled(7));
    EXPECT_FALSE(sheet->EnableTab(-1));
}

TEST_F(SheetTest, TabsSwitchedWhileRepaintingIsOffShowTheirStateOnceItIsBackOn)
{
    // The document refreshes its pages with repainting off and then simply switches it on.
    sheet->InitTabLabels();
    sheet->DisableTab(5);
    sheet->setRedrawEnabled(false);
    sheet->DisableTab(4);
    sheet->EnableTab(5);
    EXPECT_FALSE(sheet->TabShownDisabled(4));
    EXPECT_TRUE(sheet->TabShownDisabled(5));
    sheet->setRedrawEnabled(true);
    EXPECT_TRUE(sheet->TabShownDisabled(4));
    EXPECT_FALSE(sheet->TabShownDisabled(5));
}

TEST_F(SheetTest, ADisabledTabCannotBeEnteredByClickKeyboardOrCode)
{
    sheet->InitTabLabels();
    sheet->SetActivePage(2);
    sheet->DisableTab(3);

    clickTab(3);
    EXPECT_EQ(sheet->GetActiveIndex(), 2);
    // A click on a disabled tab does not even ask the current page to be left.
    EXPECT_EQ(pages[2]->queries, 0);
    EXPECT_EQ(sheet->clickedTab(), 3);

    sheet->setFocus();
    QTest::keyClick(sheet.get(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(sheet->GetActiveIndex(), 4);   // skips 3
    QTest::keyClick(sheet->GetTabControl(), Qt::Key_Left);
    EXPECT_EQ(sheet->GetActiveIndex(), 2);

    EXPECT_FALSE(sheet->SetActivePage(3));
    EXPECT_EQ(sheet->GetActiveIndex(), 2);
    // Even the stock way round the sheet is turned back.
    static_cast<QTabWidget*>(sheet.get())->setCurrentIndex(3);
    EXPECT_EQ(sheet->GetActiveIndex(), 2);

    clickTab(5);
    EXPECT_EQ(sheet->GetActiveIndex(), 5);
}

TEST_F(SheetTest, APageThatRefusesToBeLeftKeepsTheSheet)
{
    sheet->SetActivePage(2);
    pages[2]->leaveAllowed = false;
    clickTab(4);
    EXPECT_EQ(sheet->GetActiveIndex(), 2);
    EXPECT_EQ(pages[2]->queries, 1);
    EXPECT_FALSE(sheet->SetActivePage(4));
    pages[2]->leaveAllowed = true;
    EXPECT_TRUE(sheet->SetActivePage(4));
}

TEST_F(SheetTest, AnOldClickOnANowDisabledTabDoesNotLockTheKeyboard)
{
    clickTab(3);
    ASSERT_EQ(sheet->GetActiveIndex(), 3);
    sheet->SetActivePage(4);
    sheet->DisableTab(3);
    EXPECT_TRUE(sheet->SetActivePage(5));
}

TEST_F(SheetTest, SaveAndLoadPagesVisitEveryPageAndCombineResults)
{
    for (ProbePage* page : pages)
        page->saveResult = false;
    pages[6]->saveResult = true;
    EXPECT_TRUE(sheet->SavePages(-1));
    for (ProbePage* page : pages)
        EXPECT_EQ(page->saves, 1);
    EXPECT_FALSE(sheet->SavePages(2));
    EXPECT_FALSE(sheet->SavePages(9));
    EXPECT_TRUE(sheet->LoadPages(-1));
    EXPECT_FALSE(sheet->QueryLeavePage(9));
}

TEST_F(SheetTest, FocusGoesToThePagesInitialControl)
{
    sheet->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
    sheet->SetActivePage(2);
    sheet->FocusActivePage();
    EXPECT_EQ(QApplication::focusWidget(), pages[2]->GetDlgItem(2612));
    sheet->SetActivePage(1);   // the file page takes the focus itself
    sheet->FocusActivePage();
    QWidget* focus = QApplication::focusWidget();
    EXPECT_TRUE(focus == sheet.get() || focus == sheet->GetTabControl());
}

TEST_F(SheetTest, EditSelectionCountsOnlyPastTheSecondCharacter)
{
    sheet->SetActivePage(2);
    auto* copies = pages[2]->Item<QLineEdit>(2612);
    ASSERT_NE(copies, nullptr);
    copies->setText(QStringLiteral("123"));
    copies->setSelection(0, 1);
    EXPECT_FALSE(CQPropertyPage::EditHasSelection(copies));
    copies->setSelection(0, 2);
    EXPECT_TRUE(CQPropertyPage::EditHasSelection(copies));
}

TEST_F(SheetTest, TheOpenPaperListShowsTheHighlightedPaperBesideIt)
{
    sheet->SetActivePage(PageJobSetup);
    auto* paper = pages[PageJobSetup]->Item<CPaperComboBox>(1008);
    ASSERT_NE(paper, nullptr);
    paper->AddItem(QStringLiteral("Recycled A4 80 g/m2 white, uncoated"));
    paper->AddItem(QStringLiteral("Card"));
    paper->SetCurSel(0);
    paper->showPopup();
    CPaperInfoPopup* popup = pages[PageJobSetup]->paperInfoPopup();
    ASSERT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->Text(0), QStringLiteral("Recycled A4 80 g/m2 whi"));   // cut to 23 characters
    EXPECT_EQ(popup->Text(2), QStringLiteral("White"));
    const QRect list(paper->view()->window()->mapToGlobal(QPoint(0, 0)), paper->view()->window()->size());
    EXPECT_TRUE(popup->x() > list.right() || popup->geometry().right() < list.left());

    emit paper->highlighted(1);
    EXPECT_EQ(popup->Text(0), QStringLiteral("Card"));
    paper->hidePopup();
    EXPECT_FALSE(popup->isVisible());
}

} // namespace
} // namespace spx::gui::test
