#include "RecentFilesMenu.h"

#include <QAction>
#include <QMenu>

#include "AppContext.h"
#include "Dialogs.h"
#include "MainFrame.h"
#include "SpxDoc.h"

namespace spx::gui {

namespace {
enum RecentFileStringId {
    IdsRecentFileGone = 61440,
    IdsRecentFilesNotSaved = 61441,
};
} // namespace

RecentFilesMenu::RecentFilesMenu(CMainFrame& frame, CSpxDoc& document, IDialogs& dialogs,
                                 const std::string& profilePath)
    : QObject(&frame), frame_(frame), document_(document), dialogs_(dialogs), list_(profilePath)
{
    list_.load();
    document_.onJobFileNamed = [this](const std::string& path) { remember(path); };
}

RecentFilesMenu::~RecentFilesMenu()
{
    document_.onJobFileNamed = nullptr;
}

void RecentFilesMenu::attach(QAction* placeholder)
{
    placeholder_ = placeholder;
    menu_ = placeholder ? qobject_cast<QMenu*>(placeholder->parent()) : nullptr;
    if (menu_)
        // After the frame's own update of the menu, which enables every plain command.
        connect(menu_, &QMenu::aboutToShow, this, &RecentFilesMenu::refresh);
    refresh();
}

void RecentFilesMenu::refresh()
{
    qDeleteAll(entries_);
    entries_.clear();
    if (!menu_ || !placeholder_)
        return;
    const auto& paths = list_.entries();
    for (size_t i = 0; i < paths.size(); ++i) {
        auto* action = new QAction(QString::fromStdString(list_.menuText(i)), menu_);
        action->setToolTip(QString::fromStdString(paths[i]));
        const int index = int(i);
        connect(action, &QAction::triggered, this, [this, index] { openEntry(index); });
        menu_->insertAction(placeholder_, action);
        entries_ << action;
    }
    placeholder_->setVisible(paths.empty());
    placeholder_->setEnabled(false);
}

void RecentFilesMenu::openEntry(int index)
{
    std::string path;
    switch (list_.choose(size_t(index), path)) {
    case RecentFileList::Choice::Open:
        document_.OpenRecentJob(path);
        frame_.UpdateTitle();
        break;
    case RecentFileList::Choice::Missing:
        dialogs_.messageBox(frame_.context().text(IdsRecentFileGone).toStdString() + "\n" + path, MessageIcon::Exclamation,
                            MessageButtons::Ok);
        break;
    case RecentFileList::Choice::NoEntry:
        break;
    }
    refresh();
}

void RecentFilesMenu::remember(const std::string& path)
{
    if (!list_.remember(path))
        dialogs_.messageBox(frame_.context().text(IdsRecentFilesNotSaved).toStdString() + "\n" + list_.profilePath(),
                            MessageIcon::Exclamation, MessageButtons::Ok);
    refresh();
}

} // namespace spx::gui
