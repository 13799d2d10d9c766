#include "GuiStrings.h"

#include <QDesktopServices>
#include <QUrl>

#include "StringTable.h"

namespace spx::gui {

namespace {
const StringTable* theTable = nullptr;
QString theHelpFile;
} // namespace

void setStringTable(const StringTable* table) { theTable = table; }
const StringTable* stringTable() { return theTable; }

QString loadString(int id)
{
    if (!theTable)
        return {};
    return QString::fromStdString(theTable->text(id));
}

void setHelpFile(const QString& path) { theHelpFile = path; }
QString helpFile() { return theHelpFile; }

bool openHelp(int context)
{
    if (theHelpFile.isEmpty())
        return false;
    // The help file is one HTML page with an anchor per help context ("context-2", ...).
    QUrl url = QUrl::fromLocalFile(theHelpFile);
    if (context > 0)
        url.setFragment(QStringLiteral("context-%1").arg(context));
    return QDesktopServices::openUrl(url);
}

} // namespace spx::gui

#include "AppState.h"

namespace spx::gui {

AppState& appState()
{
    static AppState state;
    return state;
}

} // namespace spx::gui
