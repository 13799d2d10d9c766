#include "ItemComboBox.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QScreen>
#include <QStandardItemModel>

#include "StringTable.h"
#include "PaperSource.h"
#include "QPropertyPage.h"

namespace spx::gui {

CItemComboBox::CItemComboBox(QWidget* parent)
    : QComboBox(parent), model_(new QStandardItemModel(this))
{
    setModel(model_);
    setMaxVisibleItems(25);
    connect(this, &QComboBox::currentIndexChanged, this, &CItemComboBox::onCurrentIndexChanged);
}

int CItemComboBox::AddItem(const QString& text, bool enabled)
{
    const int index = count();
    if (index >= kMaxItems)
        return -1;
    auto* item = new QStandardItem(text);
    item->setFlags(enabled ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags);
    ++quiet_;
    model_->appendRow(item);
    // The stock list selects the first entry it gets; an owner-drawn list starts with none.
    if (index == 0 && currentIndex() == 0)
        setCurrentIndex(-1);
    --quiet_;
    return index;
}

void CItemComboBox::Fill(std::span<const ItemTableRow> table, int select, bool widen)
{
    if (count() > 0)
        ResetContent();
    for (const ItemTableRow& row : table) {
        if (row.stringId == 0 && (!row.text || !*row.text))
            break;
        AddItem(row.stringId ? text(row.stringId) : QString::fromUtf8(row.text), true);
    }
    if (widen) {
        // Only the dropped-down list grows to its longest entry; the control keeps its place
        // and width on the page.
        view()->setMinimumWidth(view()->sizeHintForColumn(0) + 8);
    }
    if (select != -1)
        SetCurSel(select);
}

void CItemComboBox::ResetContent()
{
    ++quiet_;
    model_->clear();
    --quiet_;
}

bool CItemComboBox::itemFlagEnabled(int index) const
{
    if (!isManaged(index))
        return false;
    const QStandardItem* item = model_->item(index);
    return item && (item->flags() & Qt::ItemIsEnabled);
}

void CItemComboBox::selectQuietly(int index)
{
    ++quiet_;
    setCurrentIndex(index);
    --quiet_;
}

bool CItemComboBox::SetCurSel(int index)
{
    if (!IsItemEnabled(index))
        return false;
    selectQuietly(index);
    lastValid_ = index;
    lastSelection_ = index;
    return true;
}

bool CItemComboBox::ForceCurSel(int index)
{
    if (!isManaged(index))
        return false;
    selectQuietly(index);
    lastValid_ = index;
    lastSelection_ = index;
    return true;
}

bool CItemComboBox::IsItemEnabled(int index) const
{
    // Only the control's own switch counts, not that of a page or tab around it.
    if (testAttribute(Qt::WA_ForceDisabled))
        return false;
    return itemFlagEnabled(index);
}

void CItemComboBox::SetItemEnabled(int index, bool enabled)
{
    if (!isManaged(index))
        return;
    model_->item(index)->setFlags(enabled ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags);
    if (!enabled)
        ValidateSelection();
}

void CItemComboBox::EnableAllItems()
{
    for (int i = 0; i < count() && i < kMaxItems; ++i)
        SetItemEnabled(i, true);
}

void CItemComboBox::DisableAllItems()
{
    for (int i = 0; i < count() && i < kMaxItems; ++i)
        SetItemEnabled(i, false);
}

void CItemComboBox::EnableControl(bool enable)
{
    const bool wasDisabled = testAttribute(Qt::WA_ForceDisabled);
    setEnabled(enable);
    const int current = currentIndex();
    if (enable && wasDisabled && current >= 0 && !IsItemEnabled(current))
        SetCurSel(FirstEnabledItem());
}

int CItemComboBox::FirstEnabledItem() const
{
    for (int i = 0; i < count() && i < kMaxItems; ++i)
        if (IsItemEnabled(i))
            return i;
    return 0;
}

int CItemComboBox::NextEnabledItem(int from) const
{
    const int step = from >= lastValid_ ? 1 : -1;
    for (int i = from + step; i >= 0 && i < count() && i < kMaxItems; i += step)
        if (IsItemEnabled(i))
            return i;
    return lastValid_;
}

QString CItemComboBox::GetItemText(int index) const
{
    return isManaged(index) ? itemText(index) : QString();
}

QString CItemComboBox::GetSelectedText() const
{
    return currentIndex() < 0 ? QString() : GetItemText(currentIndex());
}

int CItemComboBox::FindText(const QString& text) const
{
    for (int i = 0; i < count() && i < kMaxItems; ++i)
        if (itemText(i) == text)
            return i;
    return -1;
}

int CItemComboBox::FindStringId(int id) const { return FindText(text(id)); }

QString CItemComboBox::text(int id) const
{
    return strings_ ? QString::fromStdString(strings_->text(id)) : QString();
}

int CItemComboBox::SetEnabledHint(int value, bool reselect)
{
    const int previous = enabledHint_;
    enabledHint_ = value;
    if (reselect)
        SetCurSel(currentIndex());
    return previous;
}

bool CItemComboBox::ValidateSelection()
{
    const int current = currentIndex();
    if (!isManaged(current))
        return false;
    if (IsItemEnabled(current)) {
        arrowKeys_ = false;
        lastValid_ = current;
        return true;
    }
    if (arrowKeys_) {
        const int next = NextEnabledItem(current);
        selectQuietly(next);
        arrowKeys_ = false;
        lastValid_ = next;
        return true;
    }
    // A disabled entry chosen otherwise: back to the last valid choice, or the first usable one.
    if (!SetCurSel(lastValid_))
        SetCurSel(FirstEnabledItem());
    lastValid_ = current;
    return false;
}

void CItemComboBox::onCurrentIndexChanged(int)
{
    if (quiet_ == 0)
        userSelected();
}

void CItemComboBox::userSelected()
{
    if (!ValidateSelection())
        return;
    lastSelection_ = currentIndex();
    emit selectionChanged(currentIndex());
}

void CItemComboBox::keyPressEvent(QKeyEvent* event)
{
    const bool plain = !(event->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier));
    const int key = event->key();
    if (plain && (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right)) {
        // The closed list moves to the neighbouring entry, disabled or not; validation then
        // skips on in the direction of travel.
        arrowKeys_ = true;
        const int step = (key == Qt::Key_Down || key == Qt::Key_Right) ? 1 : -1;
        const int target = currentIndex() + step;
        if (isManaged(target)) {
            selectQuietly(target);
            userSelected();
        }
        event->accept();
        return;
    }
    arrowKeys_ = false;
    const QString typed = event->text();
    if (plain && typed.size() == 1 && typed.at(0).isPrint() && !typed.at(0).isSpace() && count() > 0) {
        // Typing a letter picks the next entry that begins with it, wrapping round once.
        const QChar wanted = typed.at(0).toUpper();
        const int n = qMin(count(), kMaxItems);
        for (int k = 1; k <= n; ++k) {
            const int i = (currentIndex() + k) % n;
            const QString text = itemText(i);
            if (!text.isEmpty() && text.at(0).toUpper() == wanted) {
                if (i != currentIndex()) {
                    selectQuietly(i);
                    userSelected();
                }
                event->accept();
                return;
            }
        }
    }
    QComboBox::keyPressEvent(event);
}

void CItemComboBox::showPopup()
{
    emit dropDownOpened();
    QComboBox::showPopup();
}

void CItemComboBox::hidePopup()
{
    QComboBox::hidePopup();
    emit dropDownClosed();
}

// ---------------------------------------------------------------------------------------------

CPaperComboBox::CPaperComboBox(QWidget* parent) : CItemComboBox(parent)
{
    connect(this, &QComboBox::highlighted, this, &CPaperComboBox::showInfoFor);
}

void CPaperComboBox::showPopup()
{
    CItemComboBox::showPopup();
    showInfoFor(currentIndex());
}

std::optional<QPoint> CPaperComboBox::PlacePopup(const QRect& list, const QSize& popup, const QRect& screen)
{
    int x = list.right() + 1 + 10;
    if (x + popup.width() > screen.right() + 1) {
        x = list.left() - 10 - popup.width();
        if (x < screen.left())
            return std::nullopt;
    }
    int y = list.center().y() - popup.height() / 2;
    y = qMin(y, screen.bottom() + 1 - 10 - popup.height());
    y = qMax(y, screen.top());
    return QPoint(x, y);
}

void CPaperComboBox::showInfoFor(int index)
{
    CQPropertyPage* page = CQPropertyPage::pageOf(this);
    if (!page || index < 0 || !view()->isVisible())
        return;
    CPaperInfoPopup* popup = page->paperInfoPopup();
    IPaperSource* source = page->GetPaperSource();
    if (!popup || !source)
        return;
    const int position = source->FindPaperByName(itemText(index).toStdString());
    std::array<std::string, 5> texts;
    if (position <= 0 || !source->PaperInfoTexts(position - 1, texts))
        return;
    std::array<QString, 5> shown;
    for (size_t i = 0; i < texts.size(); ++i)
        shown[i] = QString::fromStdString(texts[i]);
    shown[0].truncate(23);
    popup->SetTexts(shown);

    QWidget* list = view()->window();
    const QRect listRect(list->mapToGlobal(QPoint(0, 0)), list->size());
    const QScreen* scr = screen();
    const QRect screenRect = scr ? scr->geometry() : QRect(0, 0, 1024, 768);
    popup->adjustSize();
    const std::optional<QPoint> at = PlacePopup(listRect, popup->size(), screenRect);
    if (!at) {
        popup->hide();
        return;
    }
    popup->move(*at);
    popup->show();
}

} // namespace spx::gui
