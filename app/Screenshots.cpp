#include "Screenshots.h"

#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QPixmap>
#include <cstdio>

#include "AboutBox.h"
#include "MainFrame.h"
#include "QPropertySheet.h"
#include "SpxView.h"

namespace spx::gui {

namespace {
const char* const kTabNames[PageCount] = {"printer", "files", "job-setup", "job-setup-2",
                                          "custom-options", "paper-exceptions", "colour-mapping"};
}

int WriteScreenshots(CMainFrame& frame, const QString& folder)
{
    if (!QDir().mkpath(folder))
        return 0;
    if (QFontInfo(frame.font()).family().isEmpty())
        std::fprintf(stderr, "spxl: no font found; the pictures will show boxes instead of letters\n");
    CQPropertySheet* sheet = frame.view() ? frame.view()->sheet() : nullptr;
    if (!sheet)
        return 0;
    frame.show();
    const int shown = sheet->GetActiveIndex();
    int written = 0;
    for (int index = 0; index < PageCount && index < sheet->count(); ++index) {
        sheet->ShowPageForPicture(index);
        QApplication::processEvents();
        const QString path = QDir(folder).filePath(QStringLiteral("tab%1-%2.png").arg(index).arg(QLatin1String(kTabNames[index])));
        if (frame.grab().save(path))
            ++written;
    }
    sheet->ShowPageForPicture(shown);

    // The About box as well, with its system line shown.
    CAboutBox about(frame.context(), &frame);
    about.OnSystemInfo();
    about.show();
    QApplication::processEvents();
    about.grab().save(QDir(folder).filePath(QStringLiteral("about.png")));
    return written;
}

} // namespace spx::gui
