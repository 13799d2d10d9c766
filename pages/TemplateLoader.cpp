#include "TemplateLoader.h"

#include <QFile>
#include <QUiLoader>
#include <QWidget>
#include <QXmlStreamReader>

#include "BitmapButton.h"
#include "ColorLabel.h"
#include "ItemComboBox.h"

namespace spx::gui {

namespace {

class Loader : public QUiLoader {
public:
    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override
    {
        QWidget* widget = nullptr;
        if (className == QLatin1String("CItemComboBox"))
            widget = new CItemComboBox(parent);
        else if (className == QLatin1String("CPaperComboBox"))
            widget = new CPaperComboBox(parent);
        else if (className == QLatin1String("CColorLabel"))
            widget = new CColorLabel(parent);
        else if (className == QLatin1String("CBitmapButton"))
            widget = new CBitmapButton(parent);
        if (!widget)
            return QUiLoader::createWidget(className, parent, name);
        widget->setObjectName(name);
        return widget;
    }
};

} // namespace

QString TemplatePath(int templateId) { return QStringLiteral(":/ui/%1.ui").arg(templateId); }

QWidget* LoadTemplate(int templateId, QWidget* parent, QString* error)
{
    QFile file(TemplatePath(templateId));
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("dialog template %1 is missing").arg(templateId);
        return nullptr;
    }
    Loader loader;
    QWidget* widget = loader.load(&file, parent);
    if (!widget && error)
        *error = QStringLiteral("dialog template %1: %2").arg(templateId).arg(loader.errorString());
    return widget;
}

QString TemplateCaption(int templateId)
{
    QFile file(TemplatePath(templateId));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // The first windowTitle property belongs to the template's top widget.
    QXmlStreamReader xml(&file);
    bool inTitle = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("property")
            && xml.attributes().value(QLatin1String("name")) == QLatin1String("windowTitle"))
            inTitle = true;
        else if (inTitle && xml.isStartElement() && xml.name() == QLatin1String("string"))
            return xml.readElementText();
        else if (xml.isEndElement() && xml.name() == QLatin1String("property"))
            inTitle = false;
    }
    return {};
}

int ControlId(const QWidget* widget)
{
    const QVariant id = widget->property("ctrlId");
    return id.isValid() ? id.toInt() : -1;
}

QHash<int, QWidget*> ControlsById(QWidget* root)
{
    QHash<int, QWidget*> controls;
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        const int id = ControlId(widget);
        if (id != -1 && !controls.contains(id))
            controls.insert(id, widget);
    }
    return controls;
}

} // namespace spx::gui
