// spxl: the window program. Usage: spxl [JOBFILE]
// Unattended pictures of the seven option tabs: spxl --screenshots DIR
#include <QApplication>
#include <QDir>
#include <cstdio>

#include "MainFrame.h"
#include "QtDialogs.h"
#include "Screenshots.h"
#include "SpxApp.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("spxl"));

    QStringList args = QApplication::arguments().mid(1);
    QString screenshotFolder;
    if (const qsizetype at = args.indexOf(QStringLiteral("--screenshots")); at >= 0) {
        if (at + 1 >= args.size()) {
            std::fprintf(stderr, "spxl: --screenshots needs a folder\n");
            return 2;
        }
        screenshotFolder = args.at(at + 1);
        args.remove(at, 2);
    }

    spx::gui::QtDialogs dialogs;
    dialogs.setUnattended(!screenshotFolder.isEmpty());
    spx::gui::CSpxApp app(dialogs);
    // The whole rest of the command line names one job file.
    if (!app.InitInstance(args.join(QLatin1Char(' ')).toStdString()))
        return 1;
    dialogs.setStatusSink([&app](const QString& text) {
        if (app.mainFrame())
            app.mainFrame()->SetStatusText(text);
    });

    if (!screenshotFolder.isEmpty()) {
        const int written = spx::gui::WriteScreenshots(*app.mainFrame(), screenshotFolder);
        std::printf("%d pictures written to %s\n", written, qPrintable(QDir(screenshotFolder).absolutePath()));
        app.ExitInstance();
        return written == spx::gui::PageCount ? 0 : 1;
    }
    const int result = QApplication::exec();
    app.ExitInstance();
    return result;
}
