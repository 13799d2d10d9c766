#include "QPropertySheet.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "AppContext.h"
#include "PageIds.h"
#include "QPropertyPage.h"

namespace spx::gui {

namespace {

// Labels of the seven tabs, by page index.
constexpr int kTabLabelIds[CQPropertySheet::kPageCount] = {433, 434, 435, 519, 436, 437, 438};
constexpr int kSheetCaptionId = 9;

QString escapedLabel(QString label)
{
    // Tab labels carry no mnemonics: a letter must not switch pages behind the sheet's back.
    return label.replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

// ---------------------------------------------------------------------------------------------

CQTabBar::CQTabBar(CQPropertySheet* sheet) : QTabBar(sheet), sheet_(sheet)
{
    setExpanding(false);
    setUsesScrollButtons(true);   // one row of tabs, with scroll arrows when it is too narrow
}

void CQTabBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QTabBar::mousePressEvent(event);
        return;
    }
    const int index = tabAt(event->position().toPoint());
    if (index < 0) {
        // Inside the row but on no tab: the last clicked tab stays as it was.
        QTabBar::mousePressEvent(event);
        return;
    }
    sheet_->context().state().clickedTab = index;
    if (index != currentIndex()) {
        ++sheet_->handlingClick_;
        sheet_->SetActivePage(index);
        --sheet_->handlingClick_;
    }
    event->accept();
}

void CQTabBar::keyPressEvent(QKeyEvent* event)
{
    int step = 0;
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Up)
        step = -1;
    else if (event->key() == Qt::Key_Right || event->key() == Qt::Key_Down)
        step = 1;
    if (step == 0 || event->modifiers() != Qt::NoModifier) {
        QTabBar::keyPressEvent(event);
        return;
    }
    const int target = sheet_->NextEnterableTab(currentIndex(), step, false);
    if (target >= 0)
        sheet_->SetActivePage(target);
    event->accept();
}

void CQTabBar::wheelEvent(QWheelEvent* event)
{
    // The wheel scrolls nothing here; pages change only on purpose.
    event->ignore();
}

// ---------------------------------------------------------------------------------------------

CQPropertySheet::CQPropertySheet(AppContext& context, QWidget* parent) : QTabWidget(parent), context_(context)
{
    context_.state().tabDisabled.fill(0);
    setTabBar(new CQTabBar(this));
    setWindowTitle(context_.text(kSheetCaptionId));
    setDocumentMode(false);
    connect(this, &QTabWidget::currentChanged, this, &CQPropertySheet::onCurrentChanged);
    qApp->installEventFilter(this);
}

CQPropertySheet::~CQPropertySheet() = default;

int CQPropertySheet::clickedTab() const { return context_.state().clickedTab; }

void CQPropertySheet::AddPage(CQPropertyPage* page)
{
    ++switching_;
    const int index = addTab(page, escapedLabel(page->caption()));
    --switching_;
    if (index >= 0 && index < kPageCount)
        records_[size_t(index)].label = page->caption();
}

CQPropertyPage* CQPropertySheet::GetPage(int index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    return qobject_cast<CQPropertyPage*>(widget(index));
}

void CQPropertySheet::CreateSheetWindow()
{
    CQPropertyPage* first = GetPage(0);
    if (!first)
        return;
    first->CreatePageWindow();
    ++switching_;
    setCurrentIndex(0);
    --switching_;
    shownIndex_ = 0;
    if (first->CanEnter())
        first->OnSetActive();
}

bool CQPropertySheet::SetActivePage(int index)
{
    CQPropertyPage* target = GetPage(index);
    if (!target)
        return false;
    const int current = currentIndex();
    if (index == current) {
        target->CreatePageWindow();
        return true;
    }
    CQPropertyPage* leaving = GetPage(current);
    if (leaving && leaving->HasWindow() && !leaving->OnKillActive())
        return false;
    // The page's window is made before it is asked whether it may be entered, as the stock
    // sheet does; a disabled page thus still gets its controls.
    target->CreatePageWindow();
    if (!target->CanEnter())
        return false;
    ++switching_;
    setCurrentIndex(index);
    --switching_;
    shownIndex_ = index;
    target->OnSetActive();
    return true;
}

void CQPropertySheet::onCurrentChanged(int index)
{
    if (switching_ > 0 || index == shownIndex_ || shownIndex_ < 0)
        return;
    // A change that did not come through SetActivePage: a disabled tab is refused here too.
    CQPropertyPage* target = GetPage(index);
    if (!target || !target->CanEnter()) {
        ++switching_;
        setCurrentIndex(shownIndex_);
        --switching_;
        return;
    }
    shownIndex_ = index;
    target->CreatePageWindow();
    target->OnSetActive();
}

int CQPropertySheet::NextEnterableTab(int from, int step, bool wrap) const
{
    const int n = count();
    for (int k = 1; k < n; ++k) {
        int i = from + step * k;
        if (!wrap && (i < 0 || i >= n))
            return -1;
        i = ((i % n) + n) % n;
        if (const CQPropertyPage* page = GetPage(i); page && page->CanEnter())
            return i;
    }
    return -1;
}

void CQPropertySheet::keyPressEvent(QKeyEvent* event)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    int step = 0;
    if (ctrl && (event->key() == Qt::Key_Tab || event->key() == Qt::Key_PageDown))
        step = 1;
    else if (ctrl && (event->key() == Qt::Key_Backtab || event->key() == Qt::Key_PageUp))
        step = -1;
    if (step == 0) {
        QTabWidget::keyPressEvent(event);
        return;
    }
    const int target = NextEnterableTab(currentIndex(), step, true);
    if (target >= 0)
        SetActivePage(target);
    event->accept();
}

bool CQPropertySheet::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType()) {
        // A press anywhere in the window outside the tab row forgets the clicked tab.
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() == window() && widget != tabBar() && !tabBar()->isAncestorOf(widget))
            context_.state().clickedTab = -1;
    }
    return QTabWidget::eventFilter(watched, event);
}

void CQPropertySheet::DisableTab(int index)
{
    if (index < 0 || index >= kPageCount)
        return;
    if (index == GetActiveIndex())
        SetActivePage(PageFileSelect);
    context_.state().tabDisabled[size_t(index)] = 1;
    TabRecord& record = records_[size_t(index)];
    if (record.enabled) {
        record.enabled = false;
        if (tabsInitialised_ && redrawEnabled_)
            paintTab(index);
    }
}

bool CQPropertySheet::EnableTab(int index)
{
    if (index < 0 || index >= kPageCount)
        return false;
    if (!context_.state().tabDisabled[size_t(index)])
        return true;
    context_.state().tabDisabled[size_t(index)] = 0;
    TabRecord& record = records_[size_t(index)];
    if (record.enabled)
        return true;
    record.enabled = true;
    if (!tabsInitialised_)
        return false;
    if (redrawEnabled_)
        paintTab(index);
    return true;
}

bool CQPropertySheet::IsTabDisabled(int index) const
{
    if (index < 0 || index >= kPageCount)
        return false;
    return context_.state().tabDisabled[size_t(index)] != 0;
}

bool CQPropertySheet::SavePages(int index)
{
    if (index != -1) {
        CQPropertyPage* page = GetPage(index);
        return page && page->SaveToDocument();
    }
    bool result = false;
    for (int i = 0; i < kPageCount; ++i) {
        CQPropertyPage* page = GetPage(i);
        const bool saved = page && page->SaveToDocument();
        result = result || saved;
    }
    return result;
}

bool CQPropertySheet::LoadPages(int index)
{
    if (index != -1) {
        CQPropertyPage* page = GetPage(index);
        return page && page->LoadFromDocument();
    }
    bool result = false;
    for (int i = 0; i < kPageCount; ++i) {
        CQPropertyPage* page = GetPage(i);
        const bool loaded = page && page->LoadFromDocument();
        result = result || loaded;
    }
    return result;
}

void CQPropertySheet::FocusActivePage()
{
    CQPropertyPage* page = GetActivePage();
    if (!page)
        return;
    const int id = page->GetFocusControlId();
    if (id == -1) {
        setFocus(Qt::OtherFocusReason);
        return;
    }
    if (QWidget* control = page->GetDlgItem(id))
        control->setFocus(Qt::OtherFocusReason);
}

void CQPropertySheet::InitTabLabels()
{
    if (!tabBar())
        return;
    tabsInitialised_ = true;
    for (int i = 0; i < kPageCount && i < count(); ++i) {
        TabRecord& record = records_[size_t(i)];
        // A tab disabled before the labels were set up shows grey from now on as well.
        record.enabled = !context_.state().tabDisabled[size_t(i)];
        const QString label = context_.text(kTabLabelIds[i]);
        if (!label.isEmpty()) {
            record.label = label;
            setTabText(i, escapedLabel(label));
        }
        paintTab(i);
    }
}

void CQPropertySheet::RefreshDisabledTabs()
{
    if (tabsInitialised_)
        for (int i = 0; i < kPageCount && i < count(); ++i)
            paintTab(i);
    redrawEnabled_ = true;
}

void CQPropertySheet::setRedrawEnabled(bool enabled)
{
    const bool resumed = enabled && !redrawEnabled_;
    redrawEnabled_ = enabled;
    // A tab's grey label is part of the row's picture, not a one-off stroke: once repainting
    // is allowed again the labels catch up with tabs switched on or off in the meantime.
    if (resumed && tabsInitialised_)
        for (int i = 0; i < kPageCount && i < count(); ++i)
            paintTab(i);
}

void CQPropertySheet::paintTab(int index)
{
    if (index < 0 || index >= count())
        return;
    const bool grey = !records_[size_t(index)].enabled;
    tabBar()->setTabTextColor(index, grey ? palette().color(QPalette::Disabled, QPalette::WindowText) : QColor());
}

void CQPropertySheet::ShowPageForPicture(int index)
{
    CQPropertyPage* page = GetPage(index);
    if (!page)
        return;
    page->CreatePageWindow();
    ++switching_;
    setCurrentIndex(index);
    --switching_;
    shownIndex_ = index;
}

bool CQPropertySheet::TabShownDisabled(int index) const
{
    return index >= 0 && index < count() && tabBar()->tabTextColor(index).isValid();
}

QString CQPropertySheet::TabLabel(int index) const
{
    return index >= 0 && index < kPageCount ? records_[size_t(index)].label : QString();
}

bool CQPropertySheet::QueryLeavePage(int index)
{
    CQPropertyPage* page = GetPage(index);
    return page && page->QueryLeave();
}

bool CQPropertySheet::ActivePageHasSelection()
{
    CQPropertyPage* page = GetActivePage();
    return page && page->HasWindow() && page->HasEditSelection();
}

} // namespace spx::gui
