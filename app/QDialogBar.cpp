#include "QDialogBar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

#include "BitmapButton.h"
#include "TemplateLoader.h"

namespace spx::gui {

namespace {
constexpr int kSendButtonId = 1034;
constexpr int kStatusTextId = 1054;
} // namespace

CQDialogBar::CQDialogBar(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("dialogBar"));
}

bool CQDialogBar::Create(int templateId)
{
    form_ = LoadTemplate(templateId, this);
    if (!form_)
        return false;
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(form_);
    send_ = qobject_cast<CBitmapButton*>(GetDlgItem(kSendButtonId));
    if (send_) {
        send_->AutoLoad();
        connect(send_, &QAbstractButton::clicked, this, &CQDialogBar::sendClicked);
    }
    if (auto* label = qobject_cast<QLabel*>(GetDlgItem(kStatusTextId))) {
        // The line takes the room the bar has; a long text never widens the window.
        label->setMinimumWidth(1);
        label->setSizePolicy(QSizePolicy::Ignored, label->sizePolicy().verticalPolicy());
        label->installEventFilter(this);
        text_ = label->text();
    }
    return true;
}

QWidget* CQDialogBar::GetDlgItem(int id) const
{
    return form_ ? ControlsById(form_).value(id, nullptr) : nullptr;
}

void CQDialogBar::SetText(const QString& text)
{
    if (text.isEmpty())
        return;
    text_ = text;
    showText();
}

bool CQDialogBar::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && watched == GetDlgItem(kStatusTextId))
        showText();
    return QWidget::eventFilter(watched, event);
}

void CQDialogBar::showText()
{
    auto* label = qobject_cast<QLabel*>(GetDlgItem(kStatusTextId));
    if (!label)
        return;
    const int room = label->contentsRect().width() - 2 * label->margin() - 4;
    const QString shown = label->fontMetrics().elidedText(text_, Qt::ElideMiddle, std::max(room, 0));
    label->setText(shown);
    label->setToolTip(shown == text_ ? QString() : text_);
}

} // namespace spx::gui
