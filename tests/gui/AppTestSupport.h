#pragma once
// A program folder of its own and an application started from it, for the window tests.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <string>

#include "Dialogs.h"
#include "MainFrame.h"
#include "SpxApp.h"

namespace spx::gui::test {

const char* const kProgramFiles[] = {"spxlres.rcc", "papers.ini", "spxl.ini", "itemdisable.txt", "spxl-help.html"};

// A program folder of its own with the files the program finds beside its executable.
class ProgramFolder {
public:
    ProgramFolder()
    {
        for (const char* name : kProgramFiles)
            QFile::copy(QStringLiteral(SPX_BIN_DIR "/") + QLatin1String(name), path(name));
        // No print server here: the notice of a missing printer would be one message more.
        QFile profile(path("spxl.ini"));
        if (profile.open(QIODevice::Append))
            profile.write("\n[debug]\nignoremissingprinters=1\n");
    }
    QString path(const char* name) const { return dir_.filePath(QLatin1String(name)); }
    std::string folder() const { return dir_.path().toStdString(); }
    void remove(const char* name) { QFile::remove(path(name)); }
    void write(const char* name, const QByteArray& bytes)
    {
        QFile file(path(name));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
    }

private:
    QTemporaryDir dir_;
};

struct Started {
    ProgramFolder folder;
    ScriptedDialogs dialogs;
    std::unique_ptr<CSpxApp> app;
    bool ok = false;

    explicit Started(const std::function<void(ProgramFolder&)>& prepare = {}, const std::string& commandLine = {})
    {
        if (prepare)
            prepare(folder);
        app = std::make_unique<CSpxApp>(dialogs);
        app->setProgramFolder(folder.folder());
        ok = app->InitInstance(commandLine);
        if (ok) {
            app->mainFrame()->activateWindow();
            ok = QTest::qWaitForWindowActive(app->mainFrame());
        }
    }
    std::string message(size_t i) const { return i < dialogs.shown.size() ? dialogs.shown[i].text : std::string(); }
    std::string text(int id) const { return app->config().strings.text(id); }
};

} // namespace spx::gui::test
