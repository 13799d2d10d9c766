// Prints, for each file named, the MIME type the desktop's database gives it by content and by
// name: "CONTENT NAME". The database is the one of XDG_DATA_HOME and XDG_DATA_DIRS.
#include <QCoreApplication>
#include <QMimeDatabase>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QMimeDatabase database;
    for (const QString& path : QCoreApplication::arguments().mid(1)) {
        const QString byContent = database.mimeTypeForFile(path, QMimeDatabase::MatchContent).name();
        const QString byName = database.mimeTypeForFile(path, QMimeDatabase::MatchExtension).name();
        std::printf("%s %s\n", qPrintable(byContent), qPrintable(byName));
    }
    return 0;
}
