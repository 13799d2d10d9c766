#include "rules/PageModel.h"

#include "job/SpxDoc.h"

namespace spx {

namespace {
const ControlState kUntouched;
}

const ControlState* PageModel::find(int id) const
{
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : &it->second;
}

std::vector<int> PageModel::controlIds() const
{
    std::vector<int> ids;
    for (const auto& [id, state] : controls_)
        ids.push_back(id);
    return ids;
}

bool PageModel::enabled(int id) const
{
    const ControlState* c = find(id);
    return (c ? *c : kUntouched).enabled;
}

bool PageModel::checked(int id) const
{
    const ControlState* c = find(id);
    return c && c->checked;
}

int PageModel::selection(int id) const
{
    const ControlState* c = find(id);
    return c ? c->selection : -1;
}

const std::string& PageModel::text(int id) const
{
    const ControlState* c = find(id);
    return (c ? *c : kUntouched).text;
}

bool PageModel::entryEnabled(int id, int entry) const
{
    const ControlState* c = find(id);
    return c && entry >= 0 && entry < int(c->entryEnabled.size()) && c->entryEnabled[size_t(entry)];
}

int PageModel::entryCount(int id) const
{
    const ControlState* c = find(id);
    return c ? int(c->entryEnabled.size()) : 0;
}

void PageModel::enable(std::initializer_list<int> ids, bool on)
{
    for (int id : ids)
        enable(id, on);
}

void PageModel::select(int id, int entry, int entryCount)
{
    ControlState& c = control(id);
    c.entryEnabled.assign(size_t(entryCount), true);
    c.selection = entry;
}

void PageModel::enableEntry(int id, int entry, bool on)
{
    ControlState& c = control(id);
    if (entry >= 0 && entry < int(c.entryEnabled.size()))
        c.entryEnabled[size_t(entry)] = on;
}

void PageModel::enableAllEntries(int id, bool on)
{
    ControlState& c = control(id);
    c.entryEnabled.assign(c.entryEnabled.size(), on);
}

void DocumentStore::setNumber(Field field, int64_t value)
{
    document_.set(field, value);
}

void DocumentStore::setText(Field field, std::string_view value)
{
    document_.setText(field, value);
}

int leadingNumber(std::string_view text)
{
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
        if (value > 0x7fffffff)
            return 0x7fffffff;
    }
    return int(value);
}

} // namespace spx
