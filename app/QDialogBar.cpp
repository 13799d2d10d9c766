#include "QDialogBar.h"

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
    if (auto* label = qobject_cast<QLabel*>(GetDlgItem(kStatusTextId)))
        label->setText(text);
}

QString CQDialogBar::Text() const
{
    auto* label = qobject_cast<QLabel*>(GetDlgItem(kStatusTextId));
    return label ? label->text() : QString();
}

} // namespace spx::gui
