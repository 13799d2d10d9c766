#pragma once
// The window program's answers to the dialog seam: real message boxes and file dialogs. In
// unattended runs (screenshots) nothing is shown: messages go to standard error and every
// question gets its first answer.

#include <QString>
#include <functional>

#include "Dialogs.h"

class QWidget;

namespace spx::gui {

class QtDialogs : public IDialogs {
public:
    MessageAnswer messageBox(const std::string& text, MessageIcon icon, MessageButtons buttons,
                             const std::string& caption = {}) override;
    FileDialogResult saveFileName(const FileDialogRequest& request) override;
    FileDialogResult openFileName(const FileDialogRequest& request) override;
    void statusText(const std::string& text) override;

    void setUnattended(bool unattended) { unattended_ = unattended; }
    bool unattended() const { return unattended_; }
    void setStatusSink(std::function<void(const QString&)> sink) { statusSink_ = std::move(sink); }

private:
    FileDialogResult fileDialog(const FileDialogRequest& request, bool save);
    bool unattended_ = false;
    std::function<void(const QString&)> statusSink_;
};

} // namespace spx::gui
