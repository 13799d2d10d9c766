#pragma once
// A caption drawn as coloured text (the paper exceptions indicator of the job setup page turns
// red while exceptions exist). It is a button underneath so that the templates and the
// item-disabling rules treat it like any other control.

#include <QAbstractButton>
#include <QColor>

namespace spx::gui {

class CColorLabel : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(QColor textColor READ textColor WRITE setTextColor)
public:
    explicit CColorLabel(QWidget* parent = nullptr);

    QColor textColor() const { return textColor_; }
    void setTextColor(const QColor& color);
    bool labelVisible() const { return visible_; }
    void setLabelVisible(bool visible);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor textColor_ = QColor(0, 0, 0);
    bool visible_ = true;
};

} // namespace spx::gui
