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
    // Puts a non-empty text on the status line; an empty text leaves it as it is. A text longer
    // than the line is shortened in the middle and shown whole as the line's tooltip.
    void SetText(const QString& text);
    QString Text() const { return text_; }
    QWidget* GetDlgItem(int id) const;
    CBitmapButton* sendButton() const { return send_; }

signals:
    void sendClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showText();
    QString text_;
    QWidget* form_ = nullptr;
    CBitmapButton* send_ = nullptr;
};

} // namespace spx::gui
