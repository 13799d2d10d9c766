#include "BitmapButton.h"

#include <QPainter>

namespace spx::gui {

CBitmapButton::CBitmapButton(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

bool CBitmapButton::AutoLoad()
{
    const QString base = QStringLiteral(":/images/") + text().remove(QLatin1Char('&'));
    up_ = QPixmap(base + QStringLiteral("U.png"));
    down_ = QPixmap(base + QStringLiteral("D.png"));
    focus_ = QPixmap(base + QStringLiteral("F.png"));
    disabled_ = QPixmap(base + QStringLiteral("X.png"));
    if (up_.isNull())
        return false;
    setFixedSize(up_.deviceIndependentSize().toSize());
    update();
    return true;
}

QSize CBitmapButton::sizeHint() const
{
    if (!up_.isNull())
        return up_.deviceIndependentSize().toSize();
    return QSize(80, 28);
}

void CBitmapButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPixmap* picture = &up_;
    if (!isEnabled() && !disabled_.isNull())
        picture = &disabled_;
    else if (isDown() && !down_.isNull())
        picture = &down_;
    else if (hasFocus() && !focus_.isNull())
        picture = &focus_;
    if (picture->isNull()) {
        // Without its pictures the button still shows what it is.
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        painter.drawText(rect(), Qt::AlignCenter, text());
        return;
    }
    painter.drawPixmap(rect(), *picture);
}

} // namespace spx::gui
