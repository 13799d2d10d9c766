#pragma once
// Dialog templates: Qt Designer files in the resource bundle, named by template id
// (":/ui/2617.ui"). Every control carries its numeric id in the dynamic property "ctrlId" and,
// where it has one, its IDC_ name as object name. The loader knows the program's own control
// classes (CItemComboBox, CPaperComboBox, CColorLabel, CBitmapButton).

#include <QHash>
#include <QString>

class QWidget;

namespace spx::gui {

QString TemplatePath(int templateId);
// The widget of the template, made a child of `parent`; null (with `error` set) when the
// template is missing or broken.
QWidget* LoadTemplate(int templateId, QWidget* parent, QString* error = nullptr);
// The caption (window title) written in a template, without building it.
QString TemplateCaption(int templateId);
// Every control below `root` that has a ctrlId other than -1, by id.
QHash<int, QWidget*> ControlsById(QWidget* root);
int ControlId(const QWidget* widget);   // -1 when the widget has none

} // namespace spx::gui
