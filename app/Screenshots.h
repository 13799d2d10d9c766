#pragma once
// Pictures of the main window with each of the seven option tabs in front, for checking the
// layouts by eye (also offscreen, without a display).

#include <QString>

#include "PageIds.h"

namespace spx::gui {

class CMainFrame;

// Writes DIR/tab<index>-<name>.png for every tab, whatever its enabled state, and
// DIR/about.png; puts the sheet back on the page it showed. Returns how many tab pictures were
// written.
int WriteScreenshots(CMainFrame& frame, const QString& folder);

} // namespace spx::gui
