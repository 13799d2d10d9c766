// The owner-drawn lists: disabled entries stay visible but cannot be chosen by mouse, arrow
// keys, typing or SetCurSel; the page hears only of accepted choices.
#include <QAbstractItemView>
#include <QApplication>
#include <QHBoxLayout>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "ColorLabel.h"
#include "GuiTestSupport.h"
#include "ItemComboBox.h"

namespace spx::gui::test {
namespace {

class ComboTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"Alpha", "Beta", "Gamma", "Delta", "Epsilon"})
            combo.AddItem(QString::fromLatin1(name));
        combo.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&combo));
        combo.setFocus();
        ASSERT_TRUE(combo.SetCurSel(0));
    }
    CItemComboBox combo;
};

TEST_F(ComboTest, SetCurSelRefusesDisabledEntriesForceCurSelDoesNot)
{
    combo.SetItemEnabled(2, false);
    EXPECT_FALSE(combo.SetCurSel(2));
    EXPECT_EQ(combo.GetCurSel(), 0);
    EXPECT_FALSE(combo.SetCurSel(50));
    EXPECT_TRUE(combo.ForceCurSel(2));
    EXPECT_EQ(combo.GetCurSel(), 2);
    EXPECT_EQ(combo.lastValid(), 2);
    EXPECT_FALSE(combo.ForceCurSel(7));
    // The entry stays in the list with its text.
    EXPECT_EQ(combo.count(), 5);
    EXPECT_EQ(combo.GetItemText(2), QStringLiteral("Gamma"));
}

TEST_F(ComboTest, DisablingTheSelectedEntryMovesAwayWithoutTellingThePage)
{
    QSignalSpy changes(&combo, &CItemComboBox::selectionChanged);
    combo.SetCurSel(1);
    combo.SetItemEnabled(1, false);
    EXPECT_NE(combo.GetCurSel(), 1);
    EXPECT_TRUE(combo.IsItemEnabled(combo.GetCurSel()));
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(ComboTest, ArrowKeysSkipDisabledEntriesInTheirDirection)
{
    QSignalSpy changes(&combo, &CItemComboBox::selectionChanged);
    combo.SetItemEnabled(1, false);
    combo.SetItemEnabled(2, false);
    QTest::keyClick(&combo, Qt::Key_Down);
    EXPECT_EQ(combo.GetCurSel(), 3);
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.at(0).at(0).toInt(), 3);
    QTest::keyClick(&combo, Qt::Key_Up);
    EXPECT_EQ(combo.GetCurSel(), 0);

    // At the end of the list without an enabled entry the last valid choice stays.
    combo.SetCurSel(3);
    combo.SetItemEnabled(4, false);
    QTest::keyClick(&combo, Qt::Key_Down);
    EXPECT_EQ(combo.GetCurSel(), 3);
}

TEST_F(ComboTest, ClickingADisabledEntryInTheOpenListChangesNothing)
{
    QSignalSpy changes(&combo, &CItemComboBox::selectionChanged);
    combo.SetItemEnabled(2, false);
    combo.showPopup();
    QAbstractItemView* view = combo.view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    const QRect disabledRect = view->visualRect(combo.model()->index(2, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, disabledRect.center());
    EXPECT_EQ(combo.GetCurSel(), 0);
    EXPECT_EQ(changes.count(), 0);

    if (!view->isVisible())
        combo.showPopup();
    QTest::qWait(QApplication::doubleClickInterval() + 50);   // a release right after opening is ignored
    const QRect enabledRect = view->visualRect(combo.model()->index(3, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, enabledRect.center());
    EXPECT_EQ(combo.GetCurSel(), 3);
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(ComboTest, TypingALetterOntoADisabledEntryRestoresTheChoice)
{
    QSignalSpy changes(&combo, &CItemComboBox::selectionChanged);
    QTest::keyClick(&combo, Qt::Key_D);
    EXPECT_EQ(combo.GetCurSel(), 3);
    EXPECT_EQ(changes.count(), 1);
    combo.SetItemEnabled(4, false);
    QTest::keyClick(&combo, Qt::Key_E);
    EXPECT_EQ(combo.GetCurSel(), 3);
    EXPECT_EQ(changes.count(), 1);
    QTest::keyClick(&combo, Qt::Key_A);   // wraps round to the top
    EXPECT_EQ(combo.GetCurSel(), 0);
}

TEST_F(ComboTest, ADisabledControlOffersNothingAndReEnablingPicksTheFirstEnabledEntry)
{
    combo.ForceCurSel(2);
    combo.SetItemEnabled(2, false);   // validation moves away; put it back by force
    combo.ForceCurSel(2);
    combo.EnableControl(false);
    EXPECT_FALSE(combo.IsItemEnabled(0));
    EXPECT_FALSE(combo.SetCurSel(0));
    EXPECT_EQ(combo.GetCurSel(), 2);
    combo.EnableControl(true);
    EXPECT_EQ(combo.GetCurSel(), 0);
}

TEST_F(ComboTest, NextEnabledItemFollowsTheDirectionFromTheLastValidChoice)
{
    combo.SetCurSel(2);
    combo.SetItemEnabled(3, false);
    EXPECT_EQ(combo.NextEnabledItem(3), 4);   // from at or below lastValid: downwards
    EXPECT_EQ(combo.NextEnabledItem(1), 0);   // above it: upwards
    combo.SetItemEnabled(4, false);
    EXPECT_EQ(combo.NextEnabledItem(3), 2);   // none: lastValid
    combo.DisableAllItems();
    EXPECT_EQ(combo.FirstEnabledItem(), 0);
}

TEST_F(ComboTest, ListsHoldAtMostFiftyEntriesAndFindTextIsExact)
{
    CItemComboBox big;
    for (int i = 0; i < CItemComboBox::kMaxItems; ++i)
        EXPECT_EQ(big.AddItem(QString::number(i)), i);
    EXPECT_EQ(big.AddItem(QStringLiteral("one too many")), -1);
    EXPECT_EQ(big.count(), CItemComboBox::kMaxItems);
    EXPECT_EQ(combo.FindText(QStringLiteral("Gamma")), 2);
    EXPECT_EQ(combo.FindText(QStringLiteral("gamma")), -1);
    EXPECT_EQ(big.GetCurSel(), -1);   // a new list selects nothing
}

TEST(ComboFillTest, FillTakesTextsFromTheStringTableAndSelects)
{
    CItemComboBox combo;
    combo.setStrings(&sourceStrings());
    const ItemTableRow rows[] = {{433, "", 0}, {0, "own text", 1}, {0, "", 0}, {434, "", 2}};
    combo.Fill(rows, 1, true);
    ASSERT_EQ(combo.count(), 2);   // the table ends at the empty row
    EXPECT_EQ(combo.GetItemText(0).toStdString(), text(433));
    EXPECT_EQ(combo.GetSelectedText(), QStringLiteral("own text"));
    EXPECT_EQ(combo.FindStringId(433), 0);
}

TEST(ComboFillTest, WideningGrowsTheOpenListButNotTheControlOnItsPage)
{
    BundleScope bundle;
    QWidget page;
    auto* layout = new QHBoxLayout(&page);
    auto* combo = new CItemComboBox;
    layout->addWidget(combo);
    layout->addStretch();
    const ItemTableRow shortRows[] = {{0, "A4", 0}, {0, "", 0}};
    combo->Fill(shortRows, 0, false);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    const int width = combo->width();

    const char* const longText = "Recycled A3 heavyweight card, 300 g/m2, ivory, uncoated";
    const ItemTableRow longRows[] = {{0, "A4", 0}, {0, longText, 1}, {0, "", 0}};
    combo->Fill(longRows, 0, true);
    QApplication::processEvents();
    EXPECT_EQ(combo->width(), width);
    combo->showPopup();
    EXPECT_GE(combo->view()->width(), combo->view()->fontMetrics().horizontalAdvance(QString::fromLatin1(longText)));
    combo->hidePopup();
}

TEST(PaperPopupTest, PlacedBesideTheListOrNotAtAll)
{
    const QRect screen(0, 0, 1000, 800);
    const QSize popup(200, 100);
    // Right of the list, centred on it.
    EXPECT_EQ(CPaperComboBox::PlacePopup(QRect(100, 300, 150, 200), popup, screen), QPoint(260, 349));
    // Too far right: left of the list.
    EXPECT_EQ(CPaperComboBox::PlacePopup(QRect(700, 300, 150, 200), popup, screen), QPoint(490, 349));
    // No room on either side: not shown.
    EXPECT_FALSE(CPaperComboBox::PlacePopup(QRect(100, 300, 750, 200), popup, screen).has_value());
    // Kept 10 pixels above the bottom of the screen.
    EXPECT_EQ(CPaperComboBox::PlacePopup(QRect(100, 700, 150, 100), popup, screen)->y(), 690);
}

TEST(ColorLabelTest, KeepsItsColourAndText)
{
    CColorLabel label;
    label.setText(QStringLiteral("Paper exceptions"));
    label.setTextColor(QColor(255, 0, 0));
    EXPECT_EQ(label.textColor(), QColor(255, 0, 0));
    EXPECT_GT(label.sizeHint().width(), 20);
}

} // namespace
} // namespace spx::gui::test
