#pragma once
// The About box (template 100): the program's name and version, a picture, and on request the
// build and the operating system the program runs on.

#include <QDialog>

namespace spx::gui {

class AppContext;

class CAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit CAboutBox(AppContext& context, QWidget* parent = nullptr);
    QWidget* GetDlgItem(int id) const;
    // Fills the build line and the system line and shows the latter (button 1050).
    void OnSystemInfo();

    // The operating system's name and version from an os-release file; empty when unknown.
    static QString SystemText(const QString& osReleasePath = QStringLiteral("/etc/os-release"));

private:
    AppContext& context_;
    QWidget* form_ = nullptr;
};

} // namespace spx::gui
