#include "QtDialogs.h"

#include "AppContext.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <cstdio>

namespace spx::gui {

namespace {

QMessageBox::Icon qtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Stop: return QMessageBox::Critical;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons qtButtons(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok: return QMessageBox::Ok;
    case MessageButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

} // namespace

MessageAnswer QtDialogs::messageBox(const std::string& text, MessageIcon icon, MessageButtons buttons,
                                    const std::string& caption)
{
    if (unattended_ || !qApp) {
        std::fprintf(stderr, "spxl: %s\n", text.c_str());
        return defaultAnswer(buttons);
    }
    QMessageBox box(qtIcon(icon), QString::fromStdString(caption.empty() ? std::string(kProgramTitle) : caption),
                    QString::fromStdString(text), qtButtons(buttons), QApplication::activeWindow());
    switch (box.exec()) {
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    case QMessageBox::Ok: return MessageAnswer::Ok;
    default: break;
    }
    // Closing the box with Escape or the title bar is a cancel where there is one.
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok
           : buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Cancel;
}

FileDialogResult QtDialogs::fileDialog(const FileDialogRequest& request, bool save)
{
    if (unattended_ || !qApp)
        return {FileDialogResult::Kind::Cancelled, {}};
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!request.title.empty())
        dialog.setWindowTitle(QString::fromStdString(request.title));
    if (!request.filter.empty())
        dialog.setNameFilter(QString::fromStdString(request.filter));
    if (!request.defaultExtension.empty())
        dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    if (!request.initialFolder.empty())
        dialog.setDirectory(QString::fromStdString(request.initialFolder));
    if (!request.initialName.empty() && request.initialName.find('*') == std::string::npos)
        dialog.selectFile(QString::fromStdString(request.initialName));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {FileDialogResult::Kind::Cancelled, {}};
    return {FileDialogResult::Kind::Chosen, dialog.selectedFiles().first().toStdString()};
}

FileDialogResult QtDialogs::saveFileName(const FileDialogRequest& request) { return fileDialog(request, true); }
FileDialogResult QtDialogs::openFileName(const FileDialogRequest& request) { return fileDialog(request, false); }

void QtDialogs::statusText(const std::string& text)
{
    if (statusSink_)
        statusSink_(QString::fromStdString(text));
}

} // namespace spx::gui
