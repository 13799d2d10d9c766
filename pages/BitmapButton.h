#pragma once
// A push button drawn with pictures instead of text. AutoLoad takes the pictures from the
// resource bundle by the button's caption: caption + "U" (up), "D" (pressed), "F" (focused),
// "X" (disabled), e.g. ":/images/SENDU.png". The caption itself is never drawn.

#include <QAbstractButton>
#include <QPixmap>

namespace spx::gui {

class CBitmapButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CBitmapButton(QWidget* parent = nullptr);

    bool AutoLoad();   // false when the up picture is missing
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap up_, down_, focus_, disabled_;
};

} // namespace spx::gui
