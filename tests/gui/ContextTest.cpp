// The application context: what the window's parts share lives in one object per window, so
// two of them do not disturb each other, and flags set around a call are given back as found.
#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "PageIds.h"
#include "QPropertyPage.h"
#include "QPropertySheet.h"
#include "SpxDoc.h"

namespace spx::gui::test {
namespace {

class BlankPage : public CQPropertyPage {
public:
    BlankPage(AppContext& context, CQPropertySheet* sheet, int templateId)
        : CQPropertyPage(context, templateId, sheet, -1, 0) {}
    bool SaveToDocument() override { return true; }
    bool LoadFromDocument() override { return true; }
};

std::unique_ptr<CQPropertySheet> makeSheet(AppContext& context)
{
    auto sheet = std::make_unique<CQPropertySheet>(context);
    const int templates[PageCount] = {IDD_TAB_PRINTER_SELECT, IDD_TAB_FILE_SELECT, IDD_TAB_JOB_SETUP,
                                      IDD_TAB_JOB_SETUP2, IDD_TAB_CUSTOM_OPTIONS, IDD_TAB_PAPER_EXCEPTIONS,
                                      IDD_TAB_COLOR_MAPPING};
    for (int i = 0; i < PageCount; ++i) {
        auto* page = new BlankPage(context, sheet.get(), templates[i]);
        sheet->AddPage(page);
        page->setTabIndex(i);
    }
    sheet->CreateSheetWindow();
    return sheet;
}

TEST(ContextTest, TwoSheetsWithTheirOwnContextsKeepTheirOwnDisabledTabs)
{
    BundleScope first;
    ASSERT_TRUE(first.ok());
    auto one = makeSheet(first.context);
    one->DisableTab(PageJobSetup2);

    BundleScope second;
    auto two = makeSheet(second.context);   // a new sheet clears the disabled tabs of its own context only
    EXPECT_TRUE(one->IsTabDisabled(PageJobSetup2));
    EXPECT_FALSE(two->IsTabDisabled(PageJobSetup2));
    EXPECT_FALSE(two->SetActivePage(PageJobSetup2) && one->SetActivePage(PageJobSetup2));
}

TEST(ContextTest, TheSheetHandsOutItsPagesByClass)
{
    BundleScope bundle;
    auto sheet = makeSheet(bundle.context);
    EXPECT_NE(sheet->page<CQPropertyPage>(PageFileSelect), nullptr);
    EXPECT_EQ(sheet->page<CQPropertyPage>(PageCount), nullptr);
    EXPECT_EQ(&sheet->page<CQPropertyPage>(PageJobSetup)->context(), &bundle.context);
}

TEST(ContextTest, AFlagSetAroundACallIsGivenBackAsTheOuterCallSetIt)
{
    bool loading = false;
    {
        const ScopedFlag outer(loading);
        {
            const ScopedFlag inner(loading);
            EXPECT_TRUE(loading);
        }
        EXPECT_TRUE(loading);   // the inner call is done, the outer one is not
    }
    EXPECT_FALSE(loading);
}

TEST(ContextTest, APostedCommandReachesTheHandlerAfterTheCurrentEvent)
{
    BundleScope bundle;
    std::vector<int> commands;
    bundle.context.setCommandHandler([&](int id) { commands.push_back(id); });
    bundle.context.postCommand(57603);
    EXPECT_TRUE(commands.empty());
    QApplication::processEvents();
    EXPECT_EQ(commands, std::vector<int>{57603});
}

} // namespace
} // namespace spx::gui::test
