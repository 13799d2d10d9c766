#pragma once
// CQDialogBar: the bar along the bottom of the main window with the send button (1034, drawn
// with its pictures) and the one-line status text (1054).

#include <QWidget>

namespace spx::gui {

class CBitmapButton;

class CQDialogBar : public QWidget {
    Q_OBJECT
public:
    explicit CQDialogBar(QWidget* parent = nullptr);

    // Builds the bar from its template; false when the template cannot be loaded.
    bool Create(int templateId);
    // Puts a non-empty text on the status line; an empty text leaves it as it is.
    void SetText(const QString& text);
    QString Text() const;
    QWidget* GetDlgItem(int id) const;
    CBitmapButton* sendButton() const { return send_; }

signals:
    void sendClicked();

private:
    QWidget* form_ = nullptr;
    CBitmapButton* send_ = nullptr;
};

} // namespace spx::gui
