#include "AboutBox.h"

#include <QAbstractButton>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "AppContext.h"
#include "TemplateLoader.h"

namespace spx::gui {

namespace {
constexpr int IDOK = 1;
} // namespace

CAboutBox::CAboutBox(AppContext& context, QWidget* parent) : QDialog(parent), context_(context)
{
    auto* layout = new QVBoxLayout(this);
    form_ = LoadTemplate(IDD_ABOUTBOX, this);
    if (form_)
        layout->addWidget(form_);
    setWindowTitle(context_.text(57344));
    auto setText = [this](int id, const QString& text) {
        if (auto* label = qobject_cast<QLabel*>(GetDlgItem(id)))
            label->setText(text);
    };
    setText(2605, context_.text(2));
    setText(1078, context_.text(180));
    setText(2607, QString::fromLatin1("Version " SPX_VERSION));
    if (form_)
        if (auto* picture = form_->findChild<QLabel*>(QStringLiteral("picture")))
            picture->setPixmap(QPixmap(QStringLiteral(":/images/about.png")));
    if (auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(1050)))
        connect(button, &QAbstractButton::clicked, this, &CAboutBox::OnSystemInfo);
    if (auto* ok = qobject_cast<QAbstractButton*>(GetDlgItem(IDOK)))
        connect(ok, &QAbstractButton::clicked, this, &QDialog::accept);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QWidget* CAboutBox::GetDlgItem(int id) const
{
    return form_ ? ControlsById(form_).value(id, nullptr) : nullptr;
}

void CAboutBox::OnSystemInfo()
{
    if (auto* build = qobject_cast<QLabel*>(GetDlgItem(2606)))
        build->setText(context_.text(185) + QString::fromLatin1(" " SPX_VERSION ", " SPX_BUILD_DATE));
    QString system = SystemText();
    if (system.isEmpty())
        system = QStringLiteral("<none>");
    if (auto* label = qobject_cast<QLabel*>(GetDlgItem(1078))) {
        label->setText(context_.text(61234) + system);
        label->show();
    }
    // The box grows with the lines it now shows, so none of them is cut off.
    if (layout())
        layout()->activate();
    adjustSize();
}

QString CAboutBox::SystemText(const QString& osReleasePath)
{
    QFile file(osReleasePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QString name, version;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        QString value = line.mid(eq + 1);
        if (value.size() >= 2 && (value.startsWith(QLatin1Char('"')) || value.startsWith(QLatin1Char('\''))))
            value = value.mid(1, value.size() - 2);
        const QString key = line.left(eq);
        if (key == QLatin1String("PRETTY_NAME"))
            return value;
        if (key == QLatin1String("NAME"))
            name = value;
        else if (key == QLatin1String("VERSION"))
            version = value;
    }
    return (name + QLatin1Char(' ') + version).trimmed();
}

} // namespace spx::gui
