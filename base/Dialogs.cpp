#include "Dialogs.h"

namespace spx {

MessageAnswer defaultAnswer(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
    case MessageButtons::OkCancel:
        return MessageAnswer::Ok;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
        return MessageAnswer::Yes;
    }
    return MessageAnswer::Ok;
}

MessageAnswer ScriptedDialogs::messageBox(const std::string& text, MessageIcon icon,
                                          MessageButtons buttons, const std::string& caption)
{
    shown.push_back({text, icon, buttons, caption});
    if (answers_.empty())
        return defaultAnswer(buttons);
    MessageAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

FileDialogResult ScriptedDialogs::nextFile(const FileDialogRequest& request)
{
    fileRequests.push_back(request);
    if (files_.empty())
        return {FileDialogResult::Kind::Cancelled, {}};
    FileDialogResult result = files_.front();
    files_.pop_front();
    return result;
}

FileDialogResult ScriptedDialogs::saveFileName(const FileDialogRequest& request) { return nextFile(request); }
FileDialogResult ScriptedDialogs::openFileName(const FileDialogRequest& request) { return nextFile(request); }

} // namespace spx
