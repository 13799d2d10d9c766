#include "AppContext.h"

#include <QDesktopServices>
#include <QTimer>

#include "Spooler.h"
#include "SpxDoc.h"
#include "SpxView.h"
#include "StringTable.h"

namespace spx::gui {

MessageAnswer TitledDialogs::messageBox(const std::string& text, MessageIcon icon, MessageButtons buttons,
                                        const std::string& caption)
{
    return inner_.messageBox(text, icon, buttons, caption.empty() ? title_() : caption);
}

AppContext::AppContext(const StringTable& strings, IDialogs& dialogs)
    : strings_(strings), dialogs_(dialogs, [this] { return title(); }),
      urlOpener_([](const QUrl& url) { return QDesktopServices::openUrl(url); })
{
}

AppContext::~AppContext() = default;

QString AppContext::text(int id) const { return QString::fromStdString(strings_.text(id)); }

std::string AppContext::title() const
{
    std::string title = strings_.text(IdsAppTitle);
    return title.empty() ? std::string(kProgramTitle) : title;
}

ProcessFlags* AppContext::flags() const { return document_ ? &document_->flags() : nullptr; }

bool AppContext::showHelp(int context)
{
    if (helpFile_.isEmpty())
        return false;
    // The help file is one HTML page with an anchor per help context ("context-2", ...).
    QUrl url = QUrl::fromLocalFile(helpFile_);
    if (context > 0)
        url.setFragment(QStringLiteral("context-%1").arg(context));
    if (urlOpener_ && urlOpener_(url))
        return true;
    dialogs_.messageBox(strings_.text(IdsHelpNotShown) + helpFile_.toStdString(), MessageIcon::Exclamation,
                        MessageButtons::Ok);
    return false;
}

std::unique_ptr<Spooler> AppContext::makeSpooler() const
{
    return spoolerFactory_ ? spoolerFactory_() : nullptr;
}

void AppContext::postCommand(int commandId)
{
    if (commandHandler_)
        QTimer::singleShot(0, this, [this, commandId] {
            if (commandHandler_)
                commandHandler_(commandId);
        });
}

CQPropertySheet* AppContext::sheet() const { return view_ ? view_->sheet() : nullptr; }

} // namespace spx::gui
