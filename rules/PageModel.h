#pragma once
// The state of one option page's controls, by control id, without widgets. A page's rules are
// written once against this model; the Qt page binds its widgets to it, the tests read it, and
// spxjob reads it to write the header the window would write. The item-disabling rules act on
// the same model (a control's enabled state, the entries of its drop-down list, a check box).
//
// The shape every page follows (the job setup pages in JobSetupRules.h are the full example):
//
//     // rules/StatusRules.h
//     PageModel statusRules(const JobOptions& options, const ItemLockFlags& locks);
//     void storeStatus(const PageModel& page, IOptionStore& job);
//
//     // rules/StatusRules.cpp
//     PageModel statusRules(const JobOptions& options, const ItemLockFlags& locks)
//     {
//         PageModel page(ids::IDD_TAB_JOB_SETUP2);
//         const int mode = options.number(Field::statusMode);
//         page.select(ids::IDC_COMBO_STATUS_MODE, mode, 4);        // 4 entries, all selectable
//         page.select(ids::IDC_COMBO_STATUS_PAPER, options.number(Field::statusPaper));
//         page.enable({ids::IDC_COMBO_STATUS_PAPER, ids::IDC_STATIC_STATUS_PAGE_PAPER},
//                     mode != 0 && locks.statusPaper);
//         return page;
//     }
//     void storeStatus(const PageModel& page, IOptionStore& job)
//     {
//         job.setNumber(Field::statusMode, page.selection(ids::IDC_COMBO_STATUS_MODE));
//         job.setNumber(Field::statusPaper, page.selection(ids::IDC_COMBO_STATUS_PAPER));
//     }
//
//     // the Qt page: LoadFromDocument shows statusRules(doc.options(), locks) on its widgets
//     // (setEnabled, setCurrentIndex, an entry's flags); an operator's change is put into the
//     // page's model, the rules run again on it, and SaveToDocument calls storeStatus(model, doc).
//
// A control the rules never touched reads as enabled, unchecked, with no selection and no text.

#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "job/JobOptions.h"

namespace spx {

class CSpxDoc;

struct ControlState {
    bool enabled = true;
    bool checked = false;
    int selection = -1;               // drop-down lists and paper lists: the selected entry
    std::string text;                 // edits: the text shown
    int captionId = 0;                // labels: the string a rule put into the label, 0 for its own
    std::vector<bool> entryEnabled;   // drop-down lists: whether each entry can be chosen

    bool operator==(const ControlState&) const = default;
};

class PageModel {
public:
    explicit PageModel(int tabId = 0) : tabId_(tabId) {}

    int tabId() const { return tabId_; }   // the page's dialog template id
    bool has(int id) const { return controls_.count(id) != 0; }
    const ControlState* find(int id) const;
    ControlState& control(int id) { return controls_[id]; }   // adds the control when new
    std::vector<int> controlIds() const;

    bool enabled(int id) const;
    bool checked(int id) const;
    int selection(int id) const;
    const std::string& text(int id) const;
    bool entryEnabled(int id, int entry) const;   // false outside the list
    int entryCount(int id) const;

    void enable(int id, bool on) { control(id).enabled = on; }
    void enable(std::initializer_list<int> ids, bool on);
    void check(int id, bool on) { control(id).checked = on; }
    void select(int id, int entry) { control(id).selection = entry; }
    void select(int id, int entry, int entryCount);   // a drop-down list of entryCount entries
    void setText(int id, std::string text) { control(id).text = std::move(text); }
    void setCaption(int id, int stringId) { control(id).captionId = stringId; }
    void enableEntry(int id, int entry, bool on);     // ignored outside the list
    void enableAllEntries(int id, bool on);

    bool operator==(const PageModel&) const = default;

private:
    int tabId_;
    std::map<int, ControlState> controls_;
};

// Where a page's store function writes: the job document, whose setters mark it modified only
// when a value changes, or a bare options record (spxjob, tests).
class IOptionStore {
public:
    virtual ~IOptionStore() = default;
    virtual void setNumber(Field field, int64_t value) = 0;
    virtual void setText(Field field, std::string_view value) = 0;
};

class RecordStore : public IOptionStore {
public:
    explicit RecordStore(JobOptions& options) : options_(options) {}
    void setNumber(Field field, int64_t value) override { options_.setNumber(field, value); }
    void setText(Field field, std::string_view value) override { options_.setText(field, value); }

private:
    JobOptions& options_;
};

class DocumentStore : public IOptionStore {
public:
    explicit DocumentStore(CSpxDoc& document) : document_(document) {}
    void setNumber(Field field, int64_t value) override;
    void setText(Field field, std::string_view value) override;

private:
    CSpxDoc& document_;
};

// The number an edit's text starts with (its leading digits), 0 when it starts with none.
int leadingNumber(std::string_view text);

} // namespace spx
