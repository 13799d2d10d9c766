#pragma once
// Drop-down lists whose single entries can be switched off: a disabled entry stays visible,
// is drawn grey and cannot be chosen, neither with the mouse, the arrow keys nor from code
// (SetCurSel refuses it; ForceCurSel does not). The entries' enabled state lives in the item
// flags of the list's model, so the stock drawing and mouse handling already honour it.
//
// Pages listen to `selectionChanged`, which is only emitted for a choice of the operator that
// was accepted; choices made from code never emit it.

#include <QComboBox>
#include <optional>
#include <span>

namespace spx {
class StringTable;
}

class QStandardItemModel;

namespace spx::gui {

// One row of a table that fills a list: a nonzero string id takes its text from the string
// table, otherwise `text` is used. A table may end with a row of id 0 and an empty text.
struct ItemTableRow {
    int stringId;
    const char* text;
    int value;
};

class CItemComboBox : public QComboBox {
    Q_OBJECT
public:
    static constexpr int kMaxItems = 50;   // entries beyond this are not managed and not added

    explicit CItemComboBox(QWidget* parent = nullptr);

    // Index of the new entry; -1 when the list already manages kMaxItems entries.
    int AddItem(const QString& text, bool enabled = true);
    void Fill(std::span<const ItemTableRow> table, int select, bool widen);
    virtual void ResetContent();

    virtual bool SetCurSel(int index);   // only an enabled entry of an enabled control
    bool ForceCurSel(int index);         // any entry in 0..49
    int GetCurSel() const { return currentIndex(); }

    bool IsItemEnabled(int index) const;   // false also while the whole control is disabled
    void SetItemEnabled(int index, bool enabled);
    void EnableAllItems();
    void DisableAllItems();
    virtual void EnableControl(bool enable);

    int FirstEnabledItem() const;          // 0 when no entry is enabled
    int NextEnabledItem(int from) const;   // lastValid when there is none in that direction

    QString GetItemText(int index) const;
    QString GetSelectedText() const;
    int FindText(const QString& text) const;   // exact and case-sensitive; -1 when none
    int FindStringId(int id) const;
    // The string table that Fill and FindStringId read (the page sets it when it loads its
    // controls); without one, string ids give empty texts.
    void setStrings(const StringTable* strings) { strings_ = strings; }

    int SetEnabledHint(int value, bool reselect);
    bool ValidateSelection();

    int lastValid() const { return lastValid_; }
    int lastSelection() const { return lastSelection_; }
    int enabledHint() const { return enabledHint_; }

    void showPopup() override;
    void hidePopup() override;

signals:
    void selectionChanged(int index);
    void dropDownOpened();
    void dropDownClosed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool itemFlagEnabled(int index) const;   // the entry's own flag, whatever the control's state
    bool isManaged(int index) const { return index >= 0 && index < kMaxItems && index < count(); }
    void selectQuietly(int index);           // selects without notifying anybody

private:
    void onCurrentIndexChanged(int index);
    void userSelected();

    QString text(int id) const;

    QStandardItemModel* model_;
    const StringTable* strings_ = nullptr;
    int lastValid_ = 0;
    int enabledHint_ = 1;
    bool arrowKeys_ = false;
    int lastSelection_ = -1;
    int quiet_ = 0;   // >0 while the class itself changes the selection
};

class IPaperSource;

// A paper list: while it is dropped down, the page's paper info popup shows the descriptive
// texts of the highlighted paper beside the open list.
class CPaperComboBox : public CItemComboBox {
    Q_OBJECT
public:
    explicit CPaperComboBox(QWidget* parent = nullptr);

    int textOffset() const { return textOffset_; }
    void setTextOffset(int offset) { textOffset_ = offset; }

    void showPopup() override;

    // Where the popup goes for a list occupying `list` on a screen of `screen` (both global):
    // 10 pixels right of the list, else 10 pixels left of it, else nowhere (not shown).
    static std::optional<QPoint> PlacePopup(const QRect& list, const QSize& popup, const QRect& screen);

private:
    void showInfoFor(int index);
    int textOffset_ = 0;
};

} // namespace spx::gui
