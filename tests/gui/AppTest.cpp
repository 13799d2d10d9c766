// The application object and the main window: start-up with missing or broken files, the job
// named on the command line, the keystroke filter, the menu and the closing procedure.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "AboutBox.h"
#include "AppTestSupport.h"
#include "Commands.h"
#include "GuiTestSupport.h"
#include "JobSetupPage.h"
#include "MainFrame.h"
#include "PageIds.h"
#include "QPropertySheet.h"
#include "SpxApp.h"
#include "SpxDoc.h"
#include "SpxView.h"

namespace spx::gui::test {
namespace {

// ---------------------------------------------------------------------------------------------
// Start-up

TEST(StartupTest, WithoutTheBundleTheOnlyMessageNamesItAndTheProgramEnds)
{
    Started run([](ProgramFolder& f) { f.remove("spxlres.rcc"); });
    EXPECT_FALSE(run.ok);
    ASSERT_EQ(run.dialogs.shown.size(), 1u);
    EXPECT_EQ(run.message(0), "Missing file: spxlres.rcc");
    EXPECT_EQ(run.dialogs.shown[0].icon, MessageIcon::Stop);
}

TEST(StartupTest, AJunkOrTruncatedBundleIsRefusedAsDamaged)
{
    Started junk([](ProgramFolder& f) { f.write("spxlres.rcc", QByteArray(4096, 'x')); });
    EXPECT_FALSE(junk.ok);
    EXPECT_EQ(junk.message(0).rfind("Damaged file: spxlres.rcc\n", 0), 0u) << junk.message(0);

    Started truncated([](ProgramFolder& f) {
        QFile file(f.path("spxlres.rcc"));
        file.open(QIODevice::ReadOnly);
        const QByteArray head = file.read(file.size() / 2);
        file.close();
        f.write("spxlres.rcc", head);
    });
    EXPECT_FALSE(truncated.ok);
    EXPECT_EQ(truncated.message(0).rfind("Damaged file: spxlres.rcc\n", 0), 0u) << truncated.message(0);
}

TEST(StartupTest, MissingPaperDefinitionsOrItemDisablingFilesEndTheStart)
{
    Started papers([](ProgramFolder& f) { f.remove("papers.ini"); });
    EXPECT_FALSE(papers.ok);
    ASSERT_EQ(papers.dialogs.shown.size(), 1u);
    EXPECT_EQ(papers.message(0), papers.text(387) + papers.text(94));

    Started rules([](ProgramFolder& f) { f.remove("itemdisable.txt"); });
    EXPECT_FALSE(rules.ok);
    ASSERT_EQ(rules.dialogs.shown.size(), 1u);
    EXPECT_EQ(rules.message(0), rules.text(387) + rules.text(389));
    EXPECT_EQ(rules.dialogs.shown[0].icon, MessageIcon::Stop);
}

TEST(StartupTest, ABrokenItemDisablingFileEndsTheStartNamingTheLine)
{
    Started rules([](ProgramFolder& f) { f.write("itemdisable.txt", "; rules\nWPrinterID=IDS_PRINTER_OTHER\nColour=1\n"); });
    EXPECT_FALSE(rules.ok);
    ASSERT_EQ(rules.dialogs.shown.size(), 1u);
    EXPECT_EQ(rules.message(0), rules.text(61225) + rules.text(389) + rules.text(61224) + "line 3: unknown key Colour");
    EXPECT_EQ(rules.dialogs.shown[0].icon, MessageIcon::Stop);
}

TEST(StartupTest, AMissingHelpFileOnlySwitchesHelpOff)
{
    Started run([](ProgramFolder& f) { f.remove("spxl-help.html"); });
    ASSERT_TRUE(run.ok);
    ASSERT_EQ(run.dialogs.shown.size(), 1u);
    EXPECT_EQ(run.message(0), run.text(1161) + run.text(448));
    EXPECT_TRUE(run.app->helpFile.empty());
    EXPECT_TRUE(run.app->context().helpFile().isEmpty());
    EXPECT_FALSE(run.app->context().showHelp(2));
}

TEST(StartupTest, TheWindowShowsTheSevenTabsWithTheFilePageInFront)
{
    Started run;
    ASSERT_TRUE(run.ok);
    EXPECT_TRUE(run.dialogs.shown.empty());
    CQPropertySheet* sheet = run.app->view()->sheet();
    ASSERT_EQ(sheet->count(), PageCount);
    EXPECT_EQ(sheet->GetActiveIndex(), PageFileSelect);
    for (int i = 0; i < PageCount; ++i)
        EXPECT_TRUE(sheet->GetPage(i)->HasWindow()) << "page " << i;
    EXPECT_EQ(sheet->tabText(PageJobSetup).toStdString(), run.text(435));
    EXPECT_FALSE(run.app->document()->IsModified());
    // A window of fixed size.
    EXPECT_EQ(run.app->mainFrame()->minimumSize(), run.app->mainFrame()->maximumSize());
    EXPECT_EQ(run.app->context().state().menuMnemonics, (std::array<char, 4>{'F', 'E', 'T', 'H'}));
}

TEST(StartupTest, AJobFileThatCannotBeOpenedLeavesTheNewJobWithAMessage)
{
    const std::string missing = "/nonexistent/folder/job.spx";
    Started run({}, missing);
    ASSERT_TRUE(run.ok);
    ASSERT_FALSE(run.dialogs.shown.empty());
    EXPECT_EQ(run.dialogs.shown.back().text, run.text(61215) + "\n" + missing);
    EXPECT_EQ(run.app->document()->title(), run.text(207));

    // A second word beginning with "/" is a caller's switch: no message then.
    Started quiet({}, "job.spx /print");
    ASSERT_TRUE(quiet.ok);
    for (const auto& shown : quiet.dialogs.shown)
        EXPECT_EQ(shown.text.find(quiet.text(61215)), std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// Keystroke filter

// Counts the presses of one key that reach a widget.
class CountKeys : public QObject {
public:
    explicit CountKeys(int key) : key_(key) {}
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == key_)
            ++presses;
        return false;
    }
    int presses = 0;

private:
    int key_;
};

TEST(KeystrokeTest, CtrlNInAnEditStartsANewJobAndTheKeyNeverReachesTheEdit)
{
    Started run;
    ASSERT_TRUE(run.ok);
    CSpxDoc* doc = run.app->document();
    CQPropertySheet* sheet = run.app->view()->sheet();
    ASSERT_TRUE(sheet->SetActivePage(PageJobSetup));
    auto* copies = sheet->GetPage(PageJobSetup)->Item<QLineEdit>(2612);
    ASSERT_NE(copies, nullptr);
    copies->setFocus();
    copies->setText(QStringLiteral("12"));

    const int defaultCopies = doc->GetCopies();
    doc->SetCopies(defaultCopies + 5);
    doc->SetModifiedFlag(false);   // no question about saving
    CountKeys counter(Qt::Key_N);
    copies->installEventFilter(&counter);
    QTest::keyClick(copies, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(doc->GetCopies(), defaultCopies);
    EXPECT_EQ(counter.presses, 0);
    EXPECT_EQ(copies->text(), QStringLiteral("12"));

    // Without Ctrl the letter reaches the edit.
    QTest::keyClick(copies, Qt::Key_N);
    EXPECT_EQ(counter.presses, 1);
    copies->removeEventFilter(&counter);
}

TEST(KeystrokeTest, CtrlHeldFlagFollowsTheKey)
{
    Started run;
    ASSERT_TRUE(run.ok);
    QWidget* target = run.app->view()->sheet();
    QTest::keyPress(target, Qt::Key_Control);
    EXPECT_TRUE(run.app->context().state().ctrlHeld);
    QTest::keyRelease(target, Qt::Key_Control);
    EXPECT_FALSE(run.app->context().state().ctrlHeld);
}

TEST(KeystrokeTest, AltWithAMenuLetterGoesToThePageFirst)
{
    Started run;
    ASSERT_TRUE(run.ok);
    CQPropertySheet* sheet = run.app->view()->sheet();
    ASSERT_TRUE(sheet->SetActivePage(PageJobSetup));
    CQPropertyPage* page = sheet->GetPage(PageJobSetup);
    QWidget* mode = page->GetDlgItem(1152);
    mode->setFocus();
    // "C" is the letter of "&Copies"; make it one of the menu's letters.
    run.app->context().state().menuMnemonics = {'F', 'E', 'T', 'C'};
    QTest::keyClick(mode, Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), page->GetDlgItem(2612));

    // A check box answering to the letter is clicked.
    run.app->context().state().menuMnemonics = {'F', 'E', 'T', 'O'};   // "C&ollate"
    auto* collate = page->Item<QAbstractButton>(1092);
    const bool before = collate->isChecked();
    QTest::keyClick(mode, Qt::Key_O, Qt::AltModifier);
    QTest::qWait(200);   // the click is animated
    EXPECT_NE(collate->isChecked(), before);
}

TEST(KeystrokeTest, CtrlSInAPageEditSavesInsteadOfTyping)
{
    Started run;
    ASSERT_TRUE(run.ok);
    CQPropertySheet* sheet = run.app->view()->sheet();
    ASSERT_TRUE(sheet->SetActivePage(PageJobSetup2));
    auto* email = sheet->GetPage(PageJobSetup2)->Item<QLineEdit>(1075);
    ASSERT_NE(email, nullptr);
    email->setFocus();
    run.dialogs.setNextFileDialogCancelled();
    QTest::keyClick(email, Qt::Key_S, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_TRUE(email->text().isEmpty());
    // An untitled job asks for a file name.
    EXPECT_EQ(run.dialogs.fileRequests.size(), 1u);
}

// ---------------------------------------------------------------------------------------------
// Main frame

TEST(MainFrameTest, ClosingIsRefusedWhileSendingAndAfterACancelledSaveQuestion)
{
    Started run;
    ASSERT_TRUE(run.ok);
    CMainFrame* frame = run.app->mainFrame();
    run.app->view()->sending = true;
    EXPECT_FALSE(frame->close());
    ASSERT_FALSE(run.dialogs.shown.empty());
    EXPECT_EQ(run.dialogs.shown.back().text, run.text(411));
    run.app->view()->sending = false;

    run.app->document()->SetModifiedFlag(true);
    run.dialogs.setNextAnswer(MessageAnswer::Cancel);
    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(frame->isVisible());

    run.dialogs.setNextAnswer(MessageAnswer::No);
    EXPECT_TRUE(frame->close());
    EXPECT_FALSE(run.app->document()->IsModified());
}

TEST(MainFrameTest, MenuStatesFollowTheLockTheClipboardAndTheSelection)
{
    Started run;
    ASSERT_TRUE(run.ok);
    CMainFrame* frame = run.app->mainFrame();
    CSpxView* view = run.app->view();

    view->lockFlag = 0;
    frame->UpdateCommandUI();
    EXPECT_EQ(frame->action(ID_MENU_LOCK)->text(), QStringLiteral("Disable"));
    EXPECT_TRUE(frame->action(ID_PAPER_CATALOGUE)->isEnabled());
    view->lockFlag = 1;
    frame->UpdateCommandUI();
    EXPECT_EQ(frame->action(ID_MENU_LOCK)->text(), QStringLiteral("Enable"));
    EXPECT_FALSE(frame->action(ID_PAPER_CATALOGUE)->isEnabled());
    EXPECT_FALSE(frame->action(ID_CHANGE_PASSWORD)->isEnabled());

    QApplication::clipboard()->setText(QString());
    EXPECT_FALSE(frame->IsCommandEnabled(ID_EDIT_PASTE));
    QApplication::clipboard()->setText(QStringLiteral("12"));
    EXPECT_TRUE(frame->IsCommandEnabled(ID_EDIT_PASTE));

    CQPropertySheet* sheet = view->sheet();
    sheet->SetActivePage(PageJobSetup);
    auto* copies = sheet->GetPage(PageJobSetup)->Item<QLineEdit>(2612);
    copies->setText(QStringLiteral("123"));
    copies->setSelection(0, 3);
    EXPECT_TRUE(frame->IsCommandEnabled(ID_EDIT_COPY));
    copies->deselect();
    EXPECT_FALSE(frame->IsCommandEnabled(ID_EDIT_CUT));
}

TEST(MainFrameTest, EditCommandsReachTheFocusedControl)
{
    Started run;
    ASSERT_TRUE(run.ok);
    CQPropertySheet* sheet = run.app->view()->sheet();
    sheet->SetActivePage(PageJobSetup2);
    auto* email = sheet->GetPage(PageJobSetup2)->Item<QLineEdit>(1075);
    email->setFocus();
    QApplication::clipboard()->setText(QStringLiteral("desk@example.org"));
    run.app->mainFrame()->OnCommand(ID_EDIT_PASTE);
    QApplication::processEvents();
    EXPECT_EQ(email->text(), QStringLiteral("desk@example.org"));
}

TEST(MainFrameTest, DroppingAPrintFileBringsTheFilePageToTheFront)
{
    Started run;
    ASSERT_TRUE(run.ok);
    CQPropertySheet* sheet = run.app->view()->sheet();
    sheet->SetActivePage(PageJobSetup);
    run.app->mainFrame()->OnDropFiles({QStringLiteral("/tmp/brochure-spx.ps")});
    EXPECT_EQ(sheet->GetActiveIndex(), PageFileSelect);
    // A name that only contains the job extension is not opened as a job.
    EXPECT_TRUE(run.dialogs.shown.empty());
}

TEST(MainFrameTest, TakingTheViewDownEntersNoPageAndLeavesTheJobAlone)
{
    Started run;
    ASSERT_TRUE(run.ok);
    CSpxView* view = run.app->view();
    ASSERT_TRUE(view->sheet()->SetActivePage(PageJobSetup2));
    CSpxDoc* doc = run.app->document();
    ASSERT_EQ(doc->GetActivePage(), PageJobSetup2);
    run.app->mainFrame()->SetView(nullptr);
    delete view;
    EXPECT_EQ(doc->GetActivePage(), PageJobSetup2);
}

// The Alt letter of a page's control: the character after the first single "&".
QChar mnemonicLetter(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&'))
            continue;
        if (text.at(i + 1) != QLatin1Char('&'))
            return text.at(i + 1).toUpper();
        ++i;
    }
    return {};
}

TEST(MainFrameTest, EachAltLetterOfAPageLeadsToOneControlAndNoneIsTakenFromTheMenu)
{
    Started run;
    ASSERT_TRUE(run.ok);
    CQPropertySheet* sheet = run.app->view()->sheet();
    const auto& menu = run.app->context().state().menuMnemonics;
    for (int index = 0; index < PageCount; ++index) {
        QHash<QChar, QString> seen;
        for (QWidget* widget : sheet->GetPage(index)->findChildren<QWidget*>()) {
            QString text;
            if (auto* button = qobject_cast<QAbstractButton*>(widget))
                text = button->text();
            else if (auto* label = qobject_cast<QLabel*>(widget); label && label->buddy())
                text = label->text();
            const QChar letter = mnemonicLetter(text);
            if (letter.isNull())
                continue;
            EXPECT_FALSE(seen.contains(letter)) << "page " << index << ": \"" << text.toStdString() << "\" and \""
                                                << seen.value(letter).toStdString() << "\"";
            seen.insert(letter, text);
            for (char m : menu)
                EXPECT_NE(letter, QChar(m).toUpper()) << "page " << index << ": " << text.toStdString();
        }
    }
}

TEST(MainFrameTest, QuitAsksFirst)
{
    Started run;
    ASSERT_TRUE(run.ok);
    run.dialogs.setNextAnswer(MessageAnswer::No);
    run.app->mainFrame()->OnCommand(ID_QUIT);
    QApplication::processEvents();
    EXPECT_TRUE(run.app->mainFrame()->isVisible());
    ASSERT_EQ(run.dialogs.shown.size(), 1u);
    EXPECT_EQ(run.dialogs.shown[0].text, run.text(378));
}

TEST(AboutBoxTest, SystemInfoShowsTheBuildAndTheOperatingSystem)
{
    Started run;
    ASSERT_TRUE(run.ok);
    CAboutBox box(run.app->context());
    auto* system = qobject_cast<QLabel*>(box.GetDlgItem(1078));
    ASSERT_NE(system, nullptr);
    EXPECT_FALSE(system->isVisibleTo(&box));
    box.OnSystemInfo();
    EXPECT_TRUE(system->isVisibleTo(&box));
    EXPECT_TRUE(system->text().startsWith(QString::fromStdString(run.text(61234))));
    EXPECT_TRUE(qobject_cast<QLabel*>(box.GetDlgItem(2606))->text().contains(QStringLiteral(SPX_TEST_VERSION)));
    EXPECT_EQ(box.windowTitle().toStdString(), run.text(57344));
}

TEST(AboutBoxTest, TheBoxGrowsSoNoLineIsCutOff)
{
    Started run;
    ASSERT_TRUE(run.ok);
    CAboutBox box(run.app->context());
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    box.OnSystemInfo();
    QApplication::processEvents();
    for (QLabel* label : box.findChildren<QLabel*>()) {
        if (!label->isVisible() || label->text().isEmpty())
            continue;
        const int needed = label->wordWrap() ? label->heightForWidth(label->width()) : label->sizeHint().height();
        EXPECT_GE(label->height(), needed) << label->text().toStdString();
        EXPECT_GE(label->width(), label->minimumSizeHint().width()) << label->text().toStdString();
        const QRect inBox(label->mapTo(&box, QPoint(0, 0)), label->size());
        EXPECT_TRUE(box.rect().contains(inBox)) << label->text().toStdString();
    }
}

TEST(AboutBoxTest, SystemTextComesFromOsRelease)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("os-release"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("NAME=\"Example Linux\"\nVERSION=\"12 (bookworm)\"\n");
    file.close();
    EXPECT_EQ(CAboutBox::SystemText(path), QStringLiteral("Example Linux 12 (bookworm)"));
    EXPECT_TRUE(CAboutBox::SystemText(dir.filePath(QStringLiteral("none"))).isEmpty());
}

} // namespace
} // namespace spx::gui::test
