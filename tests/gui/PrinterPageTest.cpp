// The printer page in the window: the queue list from the spooler, its selection on a rebuild,
// the notice when no printer is there, and the model-type change by mouse and by keyboard.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "ItemComboBox.h"
#include "MainFrame.h"
#include "PrinterSelectPage.h"
#include "QPropertySheet.h"
#include "SpxApp.h"
#include "SpxDoc.h"
#include "SpxView.h"
#include "../spooler/FakeSpooler.h"

namespace spx::gui::test {
namespace {

using namespace spx::ids;

// The window started on a program folder of its own, with a spooler whose queues the test sets.
struct PrinterWindow {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    std::vector<SpoolerQueue> queues{{"alpha", "socket://10.0.0.1:9100", false},
                                     {"beta", "ipp://beta.local/ipp/print", true},
                                     {"beta/duplex", "ipp://beta.local/ipp/print", false}};
    int listings = 0;
    std::unique_ptr<CSpxApp> app;

    explicit PrinterWindow(bool ignoreMissing = false)
    {
        for (const char* name : {"spxlres.rcc", "papers.ini", "spxl.ini", "itemdisable.txt", "spxl-help.html"})
            QFile::copy(QStringLiteral(SPX_BIN_DIR "/") + QLatin1String(name), dir.filePath(QLatin1String(name)));
        if (ignoreMissing) {
            QFile profile(dir.filePath(QStringLiteral("spxl.ini")));
            if (profile.open(QIODevice::Append))
                profile.write("\n[debug]\nignoremissingprinters=1\n");
        }
        app = std::make_unique<CSpxApp>(dialogs);
        app->setProgramFolder(dir.path().toStdString());
        app->context().setSpoolerFactory([this] {
            auto spooler = std::make_unique<spx::test::FakeSpooler>();
            spooler->queues = queues;
            ++listings;
            return spooler;
        });
    }
    bool start()
    {
        if (!app->InitInstance({}))
            return false;
        QApplication::processEvents();
        return true;
    }
    CSpxView* view() const { return app->view(); }
    CSpxDoc* doc() const { return app->document(); }
    CPrinterSelectPage* page() const { return view()->printerPage(); }
    QListWidget* list() const { return page()->Item<QListWidget>(IDC_LIST_QUEUES); }
    CItemComboBox* model() const { return page()->Item<CItemComboBox>(IDC_COMBO_MODEL_TYPE); }
    std::string text(int id) const { return app->config().strings.text(id); }
    void showPrinterPage() const { view()->sheet()->SetActivePage(0); }
};

TEST(PrinterPageTest, QueuesListedWithTheirDevicesAndTheSpoolersDefaultChosen)
{
    BundleScope bundle;
    PrinterWindow w;
    ASSERT_TRUE(w.start());
    ASSERT_EQ(w.list()->count(), 3);
    std::string line = w.text(IdsQueueItem);
    line.replace(line.find("%1"), 2, "beta/duplex");
    line.replace(line.find("%2"), 2, "ipp://beta.local/ipp/print");
    EXPECT_EQ(w.list()->item(2)->text().toStdString(), line);
    EXPECT_EQ(w.list()->currentRow(), 1);
    EXPECT_EQ(w.page()->GetSelectedQueueName(), "beta");
    EXPECT_EQ(w.page()->GetSelectedQueueName(2), "beta/duplex");
    EXPECT_EQ(w.page()->GetSelectedQueueName(3), "");
    EXPECT_EQ(w.model()->count(), kModelTypeCount);
    EXPECT_TRUE(w.dialogs.shown.empty());
}

TEST(PrinterPageTest, ComingBackToTheWindowListsNewQueuesAndKeepsTheChosenOne)
{
    BundleScope bundle;
    PrinterWindow w;
    ASSERT_TRUE(w.start());
    w.showPrinterPage();
    w.list()->setCurrentRow(2);   // as the operator clicks it
    EXPECT_TRUE(w.doc()->IsModified());
    w.queues.insert(w.queues.begin(), {"aardvark", "lpd://print.local/raw", false});
    w.view()->RefreshQueuesOnActivate();
    EXPECT_EQ(w.list()->count(), 4);
    EXPECT_EQ(w.page()->GetSelectedQueueName(), "beta/duplex");
    w.queues.pop_back();   // the chosen queue was removed: the default takes its place
    w.view()->RefreshQueuesOnActivate();
    EXPECT_EQ(w.page()->GetSelectedQueueName(), "beta");
}

TEST(PrinterPageTest, NoPrinterShowsTheNoticeOnceAndAServerBackBringsTheModelTypes)
{
    BundleScope bundle;
    PrinterWindow w;
    w.queues.clear();
    ASSERT_TRUE(w.start());
    ASSERT_EQ(w.dialogs.shown.size(), 1u);
    EXPECT_EQ(w.dialogs.shown[0].text, w.text(IdsNoPrinter));
    EXPECT_EQ(w.dialogs.shown[0].icon, MessageIcon::Stop);
    EXPECT_FALSE(w.page()->printersPresent());
    EXPECT_EQ(w.model()->count(), 0);
    EXPECT_FALSE(w.doc()->IsModified());
    w.view()->RefreshQueuesOnActivate();
    QApplication::processEvents();
    EXPECT_EQ(w.dialogs.shown.size(), 1u);   // not again on every activation
    w.queues = {{"capture", "socket://127.0.0.1:9100", false}};
    w.view()->RefreshQueuesOnActivate();
    EXPECT_TRUE(w.page()->printersPresent());
    EXPECT_EQ(w.model()->count(), kModelTypeCount);
    EXPECT_EQ(w.page()->GetSelectedQueueName(), "capture");
}

TEST(PrinterPageTest, IgnoreMissingPrintersInTheProfileKeepsTheNoticeAway)
{
    BundleScope bundle;
    PrinterWindow w(true);
    w.queues.clear();
    ASSERT_TRUE(w.start());
    EXPECT_TRUE(w.dialogs.shown.empty());
    EXPECT_EQ(w.page()->QueueCount(), 0);
}

TEST(PrinterPageTest, ModelTypeChosenWithTheMouseIsAskedAboutAndCanBeCancelled)
{
    BundleScope bundle;
    PrinterWindow w;
    ASSERT_TRUE(w.start());
    w.showPrinterPage();
    CItemComboBox* combo = w.model();
    ASSERT_EQ(w.doc()->GetPrinterLanguage(), 0);
    const int pamphletPages = w.doc()->GetPamphletPages();
    auto choose = [&](int entry) {
        combo->showPopup();
        QAbstractItemView* view = combo->view();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
        QTest::qWait(QApplication::doubleClickInterval() + 50);   // a release right after opening is ignored
        const QRect rect = view->visualRect(view->model()->index(entry, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
        QApplication::processEvents();
    };
    w.dialogs.setNextAnswer(MessageAnswer::Cancel);
    choose(1);
    ASSERT_EQ(w.dialogs.shown.size(), 1u);
    EXPECT_EQ(w.dialogs.shown[0].text, modelChangeQuestion(w.app->config().strings, 1));
    EXPECT_EQ(w.doc()->GetPrinterLanguage(), 0);
    EXPECT_EQ(combo->GetCurSel(), 0);
    EXPECT_EQ(w.doc()->GetPamphletPages(), pamphletPages);
    choose(0);   // the same model again asks nothing
    EXPECT_EQ(w.dialogs.shown.size(), 1u);
    w.dialogs.setNextAnswer(MessageAnswer::Ok);
    choose(1);
    EXPECT_EQ(w.dialogs.shown.size(), 2u);
    EXPECT_EQ(w.doc()->GetPrinterLanguage(), 1);
    EXPECT_EQ(w.doc()->GetPamphletPages(), 60);   // reset for the PCL model type
    EXPECT_TRUE(w.doc()->IsModified());
}

TEST(PrinterPageTest, ModelTypeTypedOnTheClosedListWaitsForTheFocusToLeave)
{
    BundleScope bundle;
    PrinterWindow w;
    ASSERT_TRUE(w.start());
    w.showPrinterPage();
    CItemComboBox* combo = w.model();
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_TRUE(w.dialogs.shown.empty());
    EXPECT_EQ(w.doc()->GetPrinterLanguage(), 0);
    // A save in between stores the model type that was asked about, not the one typed.
    w.page()->SaveToDocument();
    EXPECT_EQ(w.doc()->GetPrinterLanguage(), 0);
    w.dialogs.setNextAnswer(MessageAnswer::Ok);
    w.list()->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(w.dialogs.shown.size(), 1u);
    EXPECT_EQ(w.doc()->GetPrinterLanguage(), 1);

    // Typed, then the page is left: the change is processed on the way out.
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Up);
    w.dialogs.setNextAnswer(MessageAnswer::Cancel);
    EXPECT_TRUE(w.page()->QueryLeave());
    EXPECT_EQ(w.dialogs.shown.size(), 2u);
    EXPECT_EQ(w.doc()->GetPrinterLanguage(), 1);
    EXPECT_EQ(combo->GetCurSel(), 1);
}

TEST(PrinterPageTest, DestinationClicksFollowTheRulesAndStore)
{
    BundleScope bundle;
    PrinterWindow w;
    ASSERT_TRUE(w.start());
    w.showPrinterPage();
    auto* print = w.page()->GetDlgItem(IDC_CHECK_DEST_PRINT);
    auto* file = w.page()->GetDlgItem(IDC_CHECK_DEST_FILE);
    auto* fileName = w.page()->Item<QLineEdit>(IDC_EDIT_DEST_FILE_NAME);
    ASSERT_TRUE(print && file && fileName);
    EXPECT_EQ(w.doc()->GetDestinationPrint(), 1);
    auto click = [](QWidget* box) { static_cast<QAbstractButton*>(box)->click(); };
    click(print);   // the last destination stays
    EXPECT_EQ(w.doc()->GetDestinationPrint(), 1);
    EXPECT_FALSE(fileName->isEnabled());
    click(file);
    EXPECT_EQ(w.doc()->GetDestinationFile(), 1);
    EXPECT_TRUE(fileName->isEnabled());
    EXPECT_TRUE(fileName->hasFocus());
    QTest::keyClicks(fileName, "job.prn");
    EXPECT_EQ(w.doc()->GetDestinationFileName(), "job.prn");
    click(print);
    EXPECT_EQ(w.doc()->GetDestinationPrint(), 0);
    EXPECT_FALSE(w.page()->GetDlgItem(IDC_CHECK_DEST_PRINT_NAMED)->isEnabled());
}

} // namespace
} // namespace spx::gui::test
