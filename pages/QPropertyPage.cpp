#include "QPropertyPage.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

#include "ItemComboBox.h"
#include "PageIds.h"
#include "QPropertySheet.h"
#include "SpxView.h"
#include "TemplateLoader.h"

namespace spx::gui {

namespace {
constexpr int kPaperInfoFirstId = 1114;
constexpr int ID_FILE_SAVE = 57603;
constexpr int ID_FILE_PRINT = 57607;
} // namespace

// ---------------------------------------------------------------------------------------------

CPaperInfoPopup::CPaperInfoPopup(QWidget* owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (QWidget* form = LoadTemplate(IDD_PAPER_INFO, this)) {
        layout->addWidget(form);
        const QHash<int, QWidget*> controls = ControlsById(form);
        for (size_t i = 0; i < labels_.size(); ++i)
            labels_[i] = qobject_cast<QLabel*>(controls.value(kPaperInfoFirstId + int(i)));
    }
    for (QLabel*& label : labels_)
        if (!label) {
            label = new QLabel(this);
            layout->addWidget(label);
        }
}

void CPaperInfoPopup::SetTexts(const std::array<QString, 5>& texts)
{
    for (size_t i = 0; i < labels_.size(); ++i)
        labels_[i]->setText(texts[i]);
}

QString CPaperInfoPopup::Text(int which) const
{
    return which >= 0 && which < 5 ? labels_[size_t(which)]->text() : QString();
}

// ---------------------------------------------------------------------------------------------

CQPropertyPage::CQPropertyPage(AppContext& context, int templateId, CQPropertySheet* sheet,
                               int focusControlId, int captionStringId, QWidget* parent)
    : QWidget(parent), context_(context), templateId_(templateId), sheet_(sheet),
      focusControlId_(focusControlId), captionStringId_(captionStringId)
{
    caption_ = captionStringId_ ? context_.text(captionStringId_) : TemplateCaption(templateId_);
    setObjectName(QStringLiteral("page%1").arg(templateId_));
}

CQPropertyPage::~CQPropertyPage()
{
    delete popup_;
}

bool CQPropertyPage::CreatePageWindow()
{
    if (hasWindow_)
        return true;
    QString error;
    QWidget* form = LoadTemplate(templateId_, this, &error);
    if (!form) {
        std::fprintf(stderr, "spxl: %s\n", qPrintable(error));
        return false;
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(form);
    controls_ = ControlsById(form);
    for (QWidget* control : std::as_const(controls_)) {
        if (qobject_cast<QLineEdit*>(control) || qobject_cast<QPlainTextEdit*>(control)
            || qobject_cast<QTextEdit*>(control))
            control->installEventFilter(this);
        if (auto* combo = qobject_cast<CItemComboBox*>(control))
            combo->setStrings(&context_.strings());
        if (auto* paper = qobject_cast<CPaperComboBox*>(control))
            connect(paper, &CItemComboBox::dropDownClosed, this, &CQPropertyPage::HidePaperInfo);
    }
    hasWindow_ = true;
    return OnInitDialog();
}

bool CQPropertyPage::OnInitDialog()
{
    initialised_ = true;
    return LoadFromDocument();
}

bool CQPropertyPage::CanEnter() const
{
    if (tabIndex_ == -1)
        return false;
    return !(sheet_ && sheet_->IsTabDisabled(tabIndex_));
}

bool CQPropertyPage::OnSetActive()
{
    if (!CanEnter())
        return false;
    if (CSpxView* view = context_.view()) {
        view->LoadActive(false);
        view->SaveActive();
    }
    return true;
}

bool CQPropertyPage::OnKillActive()
{
    if (!sheet_)
        return true;
    // A click on a disabled tab leaves the sheet where it is. Only the click being handled
    // counts: an old click must not lock the keyboard's way between pages.
    if (sheet_->handlingClick() && sheet_->IsTabDisabled(context_.state().clickedTab))
        return false;
    return sheet_->QueryLeavePage(sheet_->GetActiveIndex());
}

bool CQPropertyPage::AnyEditHasSelection(std::initializer_list<int> ids) const
{
    for (int id : ids)
        if (QWidget* edit = GetDlgItem(id); edit && EditHasSelection(edit))
            return true;
    return false;
}

bool CQPropertyPage::EditHasSelection(const QWidget* edit)
{
    int start = -1, end = -1;
    if (auto* line = qobject_cast<const QLineEdit*>(edit)) {
        if (!line->hasSelectedText())
            return false;
        start = line->selectionStart();
        end = line->selectionEnd();
    } else if (auto* plain = qobject_cast<const QPlainTextEdit*>(edit)) {
        start = plain->textCursor().selectionStart();
        end = plain->textCursor().selectionEnd();
    } else if (auto* rich = qobject_cast<const QTextEdit*>(edit)) {
        start = rich->textCursor().selectionStart();
        end = rich->textCursor().selectionEnd();
    }
    return end > 1 && start < end;
}

CPaperInfoPopup* CQPropertyPage::paperInfoPopup()
{
    if (!popup_)
        popup_ = new CPaperInfoPopup(this);
    return popup_;
}

void CQPropertyPage::HidePaperInfo()
{
    if (popup_)
        popup_->hide();
}

CQPropertyPage* CQPropertyPage::pageOf(const QWidget* widget)
{
    for (QWidget* w = widget ? widget->parentWidget() : nullptr; w; w = w->parentWidget())
        if (auto* page = qobject_cast<CQPropertyPage*>(w))
            return page;
    return nullptr;
}

bool CQPropertyPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && static_cast<QFocusEvent*>(event)->reason() == Qt::MenuBarFocusReason) {
        // The menu opened from the keyboard: the edit keeps its selection for the Edit menu.
        if (auto* line = qobject_cast<QLineEdit*>(watched); line && line->hasSelectedText()) {
            const int start = line->selectionStart();
            const int length = line->selectedText().size();
            line->event(event);
            line->setSelection(start, length);
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool ctrlOnly = (key->modifiers() & Qt::ControlModifier)
                              && !(key->modifiers() & (Qt::AltModifier | Qt::MetaModifier));
        // Ctrl+P and Ctrl+S in an edit send and save instead of typing a control character.
        if (ctrlOnly && key->key() == Qt::Key_P) {
            context_.postCommand(ID_FILE_PRINT);
            return true;
        }
        if (ctrlOnly && key->key() == Qt::Key_S) {
            context_.postCommand(ID_FILE_SAVE);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace spx::gui
