#pragma once
// The window's access to the string table of the resource bundle. The application object sets
// the table once at start-up; tests set one loaded from the source folder. A missing id (or no
// table at all) gives an empty text, as every string look-up of the program does.

#include <QString>

namespace spx {
class StringTable;
}

namespace spx::gui {

void setStringTable(const StringTable* table);
const StringTable* stringTable();
QString loadString(int id);

// The program's help file (empty when there is none) and the way to open it at a context
// (0: at its beginning).
void setHelpFile(const QString& path);
QString helpFile();
bool openHelp(int context);

} // namespace spx::gui
