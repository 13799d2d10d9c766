// The recent job files on the File menu: which files join the list, the numbered entries in place
// of the greyed "Recent Files" entry, opening an entry as File > Open would, an entry whose file
// is gone, and the list kept across runs.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

#include "Commands.h"
#include "GuiTestSupport.h"
#include "MainFrame.h"
#include "Profile.h"
#include "RecentFilesMenu.h"
#include "SpxApp.h"
#include "SpxDoc.h"

namespace spx::gui::test {
namespace {

constexpr int IdsRecentFileGone = 61440;
constexpr int IdsRecentFilesPlaceholder = 61407;

class RecentFilesMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"spxlres.rcc", "papers.ini", "spxl.ini", "itemdisable.txt", "spxl-help.html"})
            QFile::copy(QStringLiteral(SPX_BIN_DIR "/") + QLatin1String(name), dir_.filePath(QLatin1String(name)));
        start();
    }
    void start(const std::string& commandLine = {})
    {
        app.reset();
        dialogs = ScriptedDialogs{};
        app = std::make_unique<CSpxApp>(dialogs);
        app->setProgramFolder(folder());
        ASSERT_TRUE(app->InitInstance(commandLine));
    }
    std::string folder() const { return dir_.path().toStdString(); }
    std::string path(const char* name) const { return dir_.filePath(QLatin1String(name)).toStdString(); }
    // Saves the current job under `name` through Save As.
    void saveAs(const char* name)
    {
        dialogs.setNextFileName(path(name));
        app->mainFrame()->OnCommand(ID_FILE_SAVE_AS);
    }
    QMenu* fileMenu() const { return app->mainFrame()->menuBar()->actions().at(0)->menu(); }
    // The texts of the File menu's entries from the first recent file to Exit, as shown on opening.
    QStringList recentTexts() const
    {
        QMenu* menu = fileMenu();
        emit menu->aboutToShow();
        QStringList texts;
        for (QAction* action : menu->actions())
            if (action->isVisible() && !action->isSeparator() && (action->text().startsWith(QLatin1Char('&'))
                                                                  && action->text().at(1).isDigit()))
                texts << action->text();
        return texts;
    }
    QAction* placeholder() const { return app->mainFrame()->action(ID_FILE_MRU_FILE1); }

    QTemporaryDir dir_;
    ScriptedDialogs dialogs;
    std::unique_ptr<CSpxApp> app;
};

TEST_F(RecentFilesMenuTest, WithoutRecentFilesTheMenuShowsTheGreyedEntry)
{
    EXPECT_TRUE(recentTexts().isEmpty());
    ASSERT_NE(placeholder(), nullptr);
    EXPECT_TRUE(placeholder()->isVisible());
    EXPECT_FALSE(placeholder()->isEnabled());
    EXPECT_EQ(placeholder()->text().toStdString(), text(IdsRecentFilesPlaceholder));
}

TEST_F(RecentFilesMenuTest, SavedAndOpenedJobsComeFirstAndThePlaceholderGoes)
{
    saveAs("first.spx");
    saveAs("second.spx");
    EXPECT_EQ(recentTexts(), (QStringList{QString::fromStdString("&1 " + path("second.spx")),
                                          QString::fromStdString("&2 " + path("first.spx"))}));
    EXPECT_FALSE(placeholder()->isVisible());
    // The entries sit where the placeholder is: after Send, before Exit.
    const QList<QAction*> actions = fileMenu()->actions();
    const auto entry = actions.indexOf(app->mainFrame()->recentFiles()->entryActions().first());
    EXPECT_LT(actions.indexOf(app->mainFrame()->action(ID_FILE_PRINT)), entry);
    EXPECT_GT(actions.indexOf(app->mainFrame()->action(ID_QUIT)), entry);

    // A job named on the command line joins the list too; the list is in the profile.
    start(path("first.spx"));
    EXPECT_EQ(recentTexts().first().toStdString(), "&1 " + path("first.spx"));
    EXPECT_EQ(Profile::getString(path("spxl.ini"), "Recent File List", "File2", ""), path("second.spx"));
}

TEST_F(RecentFilesMenuTest, ChoosingAnEntryOpensItAfterTheSaveQuestion)
{
    CSpxDoc* doc = app->document();
    doc->SetCopies(7);
    saveAs("seven.spx");
    app->mainFrame()->OnCommand(ID_FILE_NEW);
    doc->SetCopies(3);   // a changed new job

    dialogs.setNextAnswer(MessageAnswer::Cancel);   // keep the changed job
    app->mainFrame()->recentFiles()->openEntry(0);
    EXPECT_EQ(doc->GetCopies(), 3);
    EXPECT_TRUE(doc->IsModified());

    dialogs.setNextAnswer(MessageAnswer::No);       // throw the changes away
    app->mainFrame()->recentFiles()->openEntry(0);
    EXPECT_EQ(doc->GetCopies(), 7);
    EXPECT_EQ(doc->pathName(), path("seven.spx"));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_NE(app->mainFrame()->windowTitle().toStdString().find("seven.spx"), std::string::npos);
}

TEST_F(RecentFilesMenuTest, AnEntryWhoseFileIsGoneLeavesTheListWithAMessage)
{
    saveAs("kept.spx");
    saveAs("gone.spx");
    app->mainFrame()->OnCommand(ID_FILE_NEW);
    QFile::remove(QString::fromStdString(path("gone.spx")));
    const size_t before = dialogs.shown.size();

    app->mainFrame()->recentFiles()->entryActions().first()->trigger();
    ASSERT_EQ(dialogs.shown.size(), before + 1);
    EXPECT_EQ(dialogs.shown.back().text, text(IdsRecentFileGone) + "\n" + path("gone.spx"));
    EXPECT_EQ(recentTexts(), QStringList{QString::fromStdString("&1 " + path("kept.spx"))});
    EXPECT_TRUE(app->document()->pathName().empty());   // the new job stays

    start();   // the next run does not offer it again
    EXPECT_EQ(recentTexts(), QStringList{QString::fromStdString("&1 " + path("kept.spx"))});
}

} // namespace
} // namespace spx::gui::test
