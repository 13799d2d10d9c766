// The window as a person at the desktop finds it: the save question before a dropped job,
// grey disabled controls and a light window on a dark desktop, a frame that fits a small
// screen, the job's page and tabs after start-up and command-line opening, the focus, the Edit
// menu from the keyboard, the status line, help, the title and the message captions.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>

#include "AboutBox.h"
#include "AppTestSupport.h"
#include "BitmapButton.h"
#include "Commands.h"
#include "MainFrame.h"
#include "QDialogBar.h"
#include "QPropertyPage.h"
#include "QPropertySheet.h"
#include "SpxDoc.h"
#include "SpxView.h"

namespace spx::gui::test {
namespace {

const std::string kGoldenJob = SPX_TEST_DATA_DIR "/jobs/v5.spx";

// The darkest grey level among the pixels of `area` in a picture of `widget`.
int darkestPixel(QWidget* widget, const QRect& area)
{
    const QImage image = widget->grab(area).toImage();
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            darkest = std::min(darkest, qGray(image.pixel(x, y)));
    return darkest;
}

TEST(WindowTest, ADroppedJobFileAsksAboutTheChangesFirstAndCancelKeepsTheJob)
{
    Started run;
    ASSERT_TRUE(run.ok);
    CSpxDoc* doc = run.app->document();
    doc->SetCopies(7);
    run.dialogs.setNextAnswer(MessageAnswer::Cancel);
    run.app->mainFrame()->OnDropFiles({QString::fromStdString(kGoldenJob)});
    ASSERT_EQ(run.dialogs.shown.size(), 1u);
    EXPECT_NE(run.dialogs.shown[0].text.find(run.text(412)), std::string::npos);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->GetCopies(), 7);
    EXPECT_TRUE(doc->pathName().empty());

    run.dialogs.setNextAnswer(MessageAnswer::No);
    run.app->mainFrame()->OnDropFiles({QString::fromStdString(kGoldenJob)});
    EXPECT_EQ(doc->pathName(), kGoldenJob);
    EXPECT_FALSE(doc->IsModified());
}

TEST(WindowTest, DisabledTabsAndControlsShowGreyText)
{
    Started run;
    ASSERT_TRUE(run.ok);
    CQPropertySheet* sheet = run.app->view()->sheet();
    sheet->DisableTab(PageColorMapping);
    QTabBar* bar = sheet->GetTabControl();
    const int enabledTab = darkestPixel(bar, bar->tabRect(PageCustomOptions));
    const int disabledTab = darkestPixel(bar, bar->tabRect(PageColorMapping));
    EXPECT_LT(enabledTab, 60);
    EXPECT_GT(disabledTab, 90) << "the disabled tab's label is as dark as an enabled one";

    ASSERT_TRUE(sheet->SetActivePage(PageJobSetup));
    auto* collate = sheet->GetPage(PageJobSetup)->Item<QAbstractButton>(1092);
    ASSERT_NE(collate, nullptr);
    collate->setEnabled(true);
    const int enabledBox = darkestPixel(collate, collate->rect());
    collate->setEnabled(false);
    const int disabledBox = darkestPixel(collate, collate->rect());
    EXPECT_GT(disabledBox, enabledBox + 40);
}

TEST(WindowTest, ADarkDesktopPaletteGivesNoDarkFieldsOnTheLightForm)
{
    const QPalette desktop = QApplication::palette();
    QPalette dark(QColor(53, 53, 53));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::WindowText, Qt::white);
    QApplication::setPalette(dark);
    {
        Started run;
        ASSERT_TRUE(run.ok);
        CQPropertySheet* sheet = run.app->view()->sheet();
        ASSERT_TRUE(sheet->SetActivePage(PageJobSetup));
        auto* copies = sheet->GetPage(PageJobSetup)->Item<QLineEdit>(2612);
        EXPECT_GT(copies->palette().color(QPalette::Base).lightness(), 200);
        EXPECT_LT(copies->palette().color(QPalette::Text).lightness(), 60);
        EXPECT_GT(run.app->view()->palette().color(QPalette::Window).lightness(), 150);
        EXPECT_LT(sheet->GetPage(PageJobSetup)->palette().color(QPalette::WindowText).lightness(), 60);
    }
    QApplication::setPalette(desktop);
}

TEST(SmallScreenTest, TheFrameFitsTheScreenAndSendStaysInView)
{
    Started run;
    ASSERT_TRUE(run.ok);
    CMainFrame* frame = run.app->mainFrame();
    QApplication::processEvents();
    const QRect available = frame->screen()->availableGeometry();
    EXPECT_TRUE(available.contains(frame->frameGeometry()))
        << "screen " << available.width() << "x" << available.height() << ", frame "
        << frame->frameGeometry().width() << "x" << frame->frameGeometry().height() << " min " << frame->minimumWidth() << " max " << frame->maximumWidth() << " body min " << frame->centralWidget()->minimumSizeHint().width() << " bar " << frame->dialogBar()->minimumSizeHint().width() << " menu " << frame->menuBar()->minimumSizeHint().width();
    CBitmapButton* send = frame->dialogBar()->sendButton();
    ASSERT_NE(send, nullptr);
    EXPECT_TRUE(send->isVisible());
    const QRect sendInFrame(send->mapTo(frame, QPoint(0, 0)), send->size());
    EXPECT_TRUE(frame->rect().contains(sendInFrame));
    // The form is larger than the room left: it scrolls.
    const QSize form = run.app->view()->sizeHint();
    if (form.height() > frame->formArea()->viewport()->height())
        EXPECT_TRUE(frame->formArea()->verticalScrollBar()->isVisible());
}

TEST(WindowTest, AfterStartUpTheFilePageShowsAndTheJobSaysSo)
{
    Started run;
    ASSERT_TRUE(run.ok);
    CQPropertySheet* sheet = run.app->view()->sheet();
    EXPECT_EQ(sheet->GetActiveIndex(), PageFileSelect);
    EXPECT_EQ(run.app->document()->GetActivePage(), PageFileSelect);

    // A new job shows the page the job holds, which is still the file page.
    run.app->OnFileNew();
    EXPECT_EQ(sheet->GetActiveIndex(), PageFileSelect);
    EXPECT_EQ(run.app->document()->GetActivePage(), PageFileSelect);
}

TEST(WindowTest, AJobNamedOnTheCommandLineShowsAsFileOpenShowsIt)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("mode2.spx")).toStdString();
    {
        Started writer;
        ASSERT_TRUE(writer.ok);
        writer.app->document()->SetSettingsMode(2);
        ASSERT_TRUE(writer.app->document()->OnSaveDocument(path));
    }
    auto tabs = [](Started& run) {
        std::vector<int> disabled;
        for (int i = 0; i < PageCount; ++i)
            if (run.app->view()->sheet()->IsTabDisabled(i))
                disabled.push_back(i);
        return std::make_pair(run.app->view()->sheet()->GetActiveIndex(), disabled);
    };
    Started viaMenu;
    ASSERT_TRUE(viaMenu.ok);
    viaMenu.dialogs.setNextFileName(path);
    viaMenu.app->OnFileOpen();
    ASSERT_EQ(viaMenu.app->document()->pathName(), path);

    Started named({}, path);
    ASSERT_TRUE(named.ok);
    ASSERT_EQ(named.app->document()->pathName(), path);
    EXPECT_EQ(tabs(named), tabs(viaMenu));
    EXPECT_TRUE(named.app->view()->sheet()->IsTabDisabled(PageJobSetup));
    EXPECT_EQ(named.app->mainFrame()->windowTitle(), viaMenu.app->mainFrame()->windowTitle());
}

TEST(WindowTest, FocusStartsOnThePageAndSendIsTheLastStop)
{
    Started run;
    ASSERT_TRUE(run.ok);
    CMainFrame* frame = run.app->mainFrame();
    QWidget* send = frame->dialogBar()->sendButton();
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    EXPECT_NE(focus, send);
    EXPECT_TRUE(run.app->view()->isAncestorOf(focus));
    QWidget* last = nullptr;
    for (QWidget* w = frame->nextInFocusChain(); w && w != frame; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && frame->isAncestorOf(w) && w->isVisible())
            last = w;
    EXPECT_EQ(last, send);
}

TEST(WindowTest, EditMenuFromTheKeyboardActsOnTheEditThatHadTheFocus)
{
    Started run;
    ASSERT_TRUE(run.ok);
    CQPropertySheet* sheet = run.app->view()->sheet();
    ASSERT_TRUE(sheet->SetActivePage(PageJobSetup2));
    auto* email = sheet->GetPage(PageJobSetup2)->Item<QLineEdit>(1075);
    email->setFocus();
    email->setText(QStringLiteral("desk@example.org"));
    email->selectAll();
    QApplication::clipboard()->clear();
    QTest::keyClick(email, Qt::Key_E, Qt::AltModifier);   // the Edit menu opens
    QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(run.app->mainFrame()->action(ID_EDIT_CUT)->isEnabled());
    QTest::keyClick(menu, Qt::Key_T);   // Cu&t
    QApplication::processEvents();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("desk@example.org"));
    EXPECT_TRUE(email->text().isEmpty());
}

TEST(WindowTest, ALongStatusTextIsShortenedInTheMiddleAndShownWholeAsTooltip)
{
    Started run;
    ASSERT_TRUE(run.ok);
    CQDialogBar* bar = run.app->mainFrame()->dialogBar();
    const int width = run.app->mainFrame()->width();
    const QString text = QStringLiteral("/srv/print/spool/quarterly-report-final-v3.ps: sent to queue "
                                        "production-colour-1 as job 4711, 2 copies, duplex long edge, "
                                        "stapled top left, 184 pages in 3 chapters, output bin 2 (face down)");
    bar->SetText(text);
    QApplication::processEvents();
    auto* line = qobject_cast<QLabel*>(bar->GetDlgItem(1054));
    EXPECT_EQ(bar->Text(), text);
    EXPECT_EQ(line->toolTip(), text);
    EXPECT_LE(line->fontMetrics().horizontalAdvance(line->text()), line->contentsRect().width());
    EXPECT_TRUE(line->text().startsWith(QStringLiteral("/srv/print")));
    EXPECT_TRUE(line->text().endsWith(QStringLiteral("(face down)")));
    EXPECT_EQ(run.app->mainFrame()->width(), width);

    bar->SetText(QStringLiteral("Ready"));
    EXPECT_EQ(line->text(), QStringLiteral("Ready"));
    EXPECT_TRUE(line->toolTip().isEmpty());
}

TEST(WindowTest, HelpThatCannotBeShownSaysSoAndWithoutAHelpFileItsCommandIsOff)
{
    Started run;
    ASSERT_TRUE(run.ok);
    run.app->context().setUrlOpener([](const QUrl&) { return false; });
    EXPECT_FALSE(run.app->context().showHelp(2));
    ASSERT_EQ(run.dialogs.shown.size(), 1u);
    EXPECT_NE(run.dialogs.shown[0].text.find(run.text(61240)), std::string::npos);
    run.app->mainFrame()->UpdateCommandUI();
    EXPECT_TRUE(run.app->mainFrame()->action(ID_HELP_CONTENTS)->isEnabled());

    Started without([](ProgramFolder& f) { f.remove("spxl-help.html"); });
    ASSERT_TRUE(without.ok);
    without.app->mainFrame()->UpdateCommandUI();
    EXPECT_FALSE(without.app->mainFrame()->action(ID_HELP_CONTENTS)->isEnabled());
}

TEST(WindowTest, TheHelpButtonHasTheSameAltLetterOnEveryPage)
{
    Started run;
    ASSERT_TRUE(run.ok);
    CQPropertySheet* sheet = run.app->view()->sheet();
    QSet<QString> texts;
    for (int index = 0; index < PageCount; ++index)
        for (QAbstractButton* button : sheet->GetPage(index)->findChildren<QAbstractButton*>())
            if (QString(button->text()).remove(QLatin1Char('&')) == QLatin1String("Help"))
                texts.insert(button->text());
    EXPECT_EQ(texts.size(), 1) << texts.values().join(QLatin1Char(' ')).toStdString();
}

TEST(WindowTest, TheTitleNamesTheFileAndMarksAModifiedJob)
{
    Started run;
    ASSERT_TRUE(run.ok);
    CMainFrame* frame = run.app->mainFrame();
    run.dialogs.setNextFileName(kGoldenJob);
    run.app->OnFileOpen();
    EXPECT_TRUE(frame->windowTitle().startsWith(QStringLiteral("v5.spx[*] - ")));
    EXPECT_FALSE(frame->isWindowModified());
    run.app->document()->SetCopies(run.app->document()->GetCopies() + 1);
    EXPECT_TRUE(frame->isWindowModified());
}

TEST(WindowTest, EveryMessageCarriesTheProgramsTitle)
{
    Started early([](ProgramFolder& f) { f.remove("papers.ini"); });
    ASSERT_EQ(early.dialogs.shown.size(), 1u);
    Started late;
    ASSERT_TRUE(late.ok);
    late.app->mainFrame()->OnCommand(ID_QUIT);
    ASSERT_EQ(late.dialogs.shown.size(), 1u);
    EXPECT_EQ(early.dialogs.shown[0].caption, late.dialogs.shown[0].caption);
    EXPECT_EQ(late.dialogs.shown[0].caption, late.text(57344));

    Started noBundle([](ProgramFolder& f) { f.remove("spxlres.rcc"); });
    ASSERT_EQ(noBundle.dialogs.shown.size(), 1u);
    EXPECT_EQ(noBundle.dialogs.shown[0].caption, late.text(57344));
}

TEST(WindowTest, TheAboutBoxNamesTheVersionAndTheDayOfTheBuild)
{
    Started run;
    ASSERT_TRUE(run.ok);
    CAboutBox box(run.app->context());
    box.OnSystemInfo();
    const QString build = qobject_cast<QLabel*>(box.GetDlgItem(2606))->text();
    EXPECT_TRUE(build.contains(QStringLiteral(SPX_TEST_VERSION))) << build.toStdString();
    EXPECT_TRUE(build.contains(QRegularExpression(QStringLiteral("20[0-9][0-9]-[01][0-9]-[0-3][0-9]"))));
    EXPECT_FALSE(build.contains(QStringLiteral("BR18")));
}

} // namespace
} // namespace spx::gui::test
