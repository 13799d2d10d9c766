#pragma once
// The recent job files on the File menu: "&1" to "&4" in place of the menu's recent-file entry,
// which stays, greyed, while the list is empty. Every job file the document opens or saves under
// a new name joins the list; choosing an entry opens it as File > Open would, and an entry whose
// file is gone leaves the list with a message.

#include <QList>
#include <QObject>
#include <string>

#include "RecentFileList.h"

class QAction;
class QMenu;

namespace spx {
class CSpxDoc;
class IDialogs;
}

namespace spx::gui {

class CMainFrame;

class RecentFilesMenu : public QObject {
    Q_OBJECT
public:
    RecentFilesMenu(CMainFrame& frame, CSpxDoc& document, IDialogs& dialogs, const std::string& profilePath);
    ~RecentFilesMenu() override;

    // The menu entry the recent files replace; its menu gets the entries before it.
    void attach(QAction* placeholder);
    void refresh();
    void openEntry(int index);
    void remember(const std::string& path);

    const RecentFileList& list() const { return list_; }
    const QList<QAction*>& entryActions() const { return entries_; }

private:
    CMainFrame& frame_;
    CSpxDoc& document_;
    IDialogs& dialogs_;
    RecentFileList list_;
    QAction* placeholder_ = nullptr;
    QMenu* menu_ = nullptr;
    QList<QAction*> entries_;
};

} // namespace spx::gui
