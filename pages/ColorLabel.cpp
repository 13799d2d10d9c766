#include "ColorLabel.h"

#include <QPainter>

namespace spx::gui {

CColorLabel::CColorLabel(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void CColorLabel::setTextColor(const QColor& color)
{
    textColor_ = color;
    update();
}

void CColorLabel::setLabelVisible(bool visible)
{
    visible_ = visible;
    update();
}

QSize CColorLabel::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 2, metrics.height() + 4};
}

void CColorLabel::paintEvent(QPaintEvent*)
{
    if (!visible_)
        return;
    // The label lies on whatever is behind it (the page or a group frame).
    QPainter painter(this);
    // Always the label's own colour: the pages grey it themselves when it does not apply.
    painter.setPen(textColor_);
    painter.drawText(rect().adjusted(0, 4, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextHideMnemonic, text());
}

} // namespace spx::gui
