#include "PaperCatalogue.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "CodePage.h"
#include "FileLock.h"
#include "Profile.h"
#include "SpxDoc.h"

namespace spx {

namespace {
constexpr size_t kEntryBuffer = 256;   // a value list entry is read into this many bytes
constexpr int kMaxListEntries = 10000;

// Splits "name,size,attr1,attr2,attr3,flag" as the six-field format reads it: each text field
// stops at the next comma and may not be empty; a field that cannot be read ends the parse, and
// the fields after it stay empty or zero. `extraFields` is set when the text holds more commas
// than six fields have: a comma inside a name or attribute, which the format cannot hold.
struct ParsedDefinition {
    std::string name, attribute[3];
    int sizeCode = 0, singleSided = 0;
    bool extraFields = false;
};

bool readTextField(const std::string& s, size_t& pos, std::string& out)
{
    size_t end = s.find(',', pos);
    if (end == std::string::npos)
        end = s.size();
    if (end == pos)
        return false;
    out = s.substr(pos, end - pos);
    pos = end;
    return true;
}

bool readNumberField(const std::string& s, size_t& pos, int& out)
{
    while (pos < s.size() && std::isspace(static_cast<unsigned char>(s[pos])))
        ++pos;
    size_t start = pos;
    if (pos < s.size() && (s[pos] == '-' || s[pos] == '+'))
        ++pos;
    size_t digits = pos;
    long value = 0;
    while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos])) && pos - digits < 9)
        value = value * 10 + (s[pos++] - '0');
    if (pos == digits)
        return false;
    out = int(s[start] == '-' ? -value : value);
    return true;
}

bool readComma(const std::string& s, size_t& pos)
{
    if (pos >= s.size() || s[pos] != ',')
        return false;
    ++pos;
    return true;
}

ParsedDefinition parseDefinition(const std::string& value)
{
    ParsedDefinition d;
    size_t pos = 0;
    (void)(readTextField(value, pos, d.name) && readComma(value, pos) && readNumberField(value, pos, d.sizeCode)
           && readComma(value, pos) && readTextField(value, pos, d.attribute[0]) && readComma(value, pos)
           && readTextField(value, pos, d.attribute[1]) && readComma(value, pos)
           && readTextField(value, pos, d.attribute[2]) && readComma(value, pos)
           && readNumberField(value, pos, d.singleSided));
    d.extraFields = std::count(value.begin(), value.end(), ',') > 5;
    return d;
}

// Line breaks would break the file: they are written as spaces.
std::string oneLine(std::string text)
{
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return text;
}

bool hasComma(const std::string& text) { return text.find(',') != std::string::npos; }

// The first `bytes` bytes of a UTF-8 text, not ending inside a character.
std::string cutUtf8(const std::string& text, size_t bytes)
{
    if (text.size() <= bytes)
        return text;
    size_t end = bytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

std::string definitionKey(int index)
{
    char key[32];
    std::snprintf(key, sizeof key, "PaperDef%d", index);
    return key;
}
} // namespace

PaperCatalogue::PaperCatalogue(CSpxDoc& doc) : doc_(doc) {}

std::string PaperCatalogue::path() const { return doc_.config().paperDefinitionsPath(); }

int PaperCatalogue::mainPosition() const { return doc_.GetPaperIndex(); }

std::string PaperCatalogue::text(int id) const { return doc_.strings().text(id); }

std::string PaperCatalogue::sectionName(int list) const { return text(kValueLists[list].sectionId); }

std::string PaperCatalogue::applyDefaultMarker(const std::string& stored, int defaultWordId) const
{
    const std::string& marker = doc_.strings().text(IdsDefaultMarker);
    if (!stored.empty() && marker.size() >= 2 && stored.size() >= marker.size() && stored.compare(0, 2, marker, 0, 2) == 0)
        return text(defaultWordId);
    return stored;
}

std::string PaperCatalogue::applyNumericReference(const std::string& stored, int list) const
{
    if (stored.empty() || !std::all_of(stored.begin(), stored.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
        return stored;
    long n = 0;
    for (size_t i = 0; i < stored.size() && n < 100000; ++i)
        n = n * 10 + (stored[i] - '0');
    const auto& values = doc_.nameLists()[size_t(list)];
    if (n > 0 && size_t(n) < values.size())
        return values[size_t(n)];
    return stored;
}

// --- messages ---------------------------------------------------------------------------------

std::string PaperCatalogue::refusal(TextProblem problem, const std::string& paperName) const
{
    if (problem == TextProblem::NoName)
        return text(IdsPaperNeedsName);
    const int reason = problem == TextProblem::Comma ? IdsPaperHasComma : IdsPaperOutsideCodePage;
    return text(IdsPaperRefused) + validUtf8(paperName) + text(reason);
}

std::string PaperCatalogue::tooManyPapers() const
{
    return text(IdsTooManyPapers) + std::to_string(kMaxPapers) + text(IdsTooManyPapersEnd);
}

void PaperCatalogue::showStop(const std::string& message) const
{
    doc_.dialogs().messageBox(message, MessageIcon::Stop, MessageButtons::Ok);
}

void PaperCatalogue::showWriteFailed() const
{
    // A configuration folder the operator may not write is named, so the cause is plain.
    const std::string folderProblem = doc_.config().configFolderWriteMessage();
    showStop(folderProblem.empty()
                 ? text(IdsCatalogueWriteFailed) + text(IdsPaperDefinitionsFile) + text(IdsCatalogueWriteFailedEnd)
                 : folderProblem);
}

// --- reading ------------------------------------------------------------------------------------

bool PaperCatalogue::Load()
{
    doc_.setPaperCatalogueProblem({});
    const ProfileFile file = ProfileFile::read(path());
    if (file.state() != ProfileFile::State::Read)
        return false;
    return LoadValueLists(file) && LoadPaperCatalogue(file);
}

bool PaperCatalogue::LoadValueLists() { return LoadValueLists(ProfileFile::read(path())); }

bool PaperCatalogue::LoadPaperCatalogue() { return LoadPaperCatalogue(ProfileFile::read(path())); }

bool PaperCatalogue::LoadValueLists(const ProfileFile& file)
{
    auto& lists = doc_.nameLists();
    for (auto& list : lists)
        list.clear();
    for (int list = 0; list < 4; ++list) {
        const std::string section = sectionName(list);
        const int count = file.getInt(section, "Num" + section, -1);
        if (count == -1)
            return false;
        const std::string keyStem = section.substr(0, section.empty() ? 0 : section.size() - 1);
        for (int i = 0; i < count && i < kMaxListEntries; ++i) {
            std::string entry = cutUtf8(file.getString(section, keyStem + std::to_string(i), ""), kEntryBuffer - 1);
            entry = applyDefaultMarker(entry, kValueLists[list].defaultWordId);
            if (entry.empty())
                entry = text(IdsEmptyListEntry);
            lists[size_t(list)].push_back(entry);
        }
    }
    lists[4] = {text(IdsBothSides), text(IdsSingleSidedOnly)};
    return true;
}

// One paper definition as a record. A definition with a comma in a text, or with a text that
// Windows-1252 cannot hold, is refused: the reason goes to the document.
bool PaperCatalogue::readDefinition(const ProfileFile& file, const std::string& section, int index, PaperRecord& record)
{
    const std::string value = file.getString(section, definitionKey(index), "");
    const ParsedDefinition d = parseDefinition(value);
    if (d.extraFields) {
        doc_.setPaperCatalogueProblem(refusal(TextProblem::Comma, value));
        return false;
    }
    std::string texts[4] = {applyDefaultMarker(d.name, IdsDefaultPaperName), {}, {}, {}};
    for (int a = 1; a <= 3; ++a)
        texts[a] = applyNumericReference(applyDefaultMarker(d.attribute[a - 1], kValueLists[a].defaultWordId), a);
    std::string ansi[4];
    for (int t = 0; t < 4; ++t) {
        // A value-list entry that an attribute refers to may hold a comma of its own.
        const TextProblem problem = hasComma(texts[t])                     ? TextProblem::Comma
                                    : !utf8ToAnsiExact(texts[t], ansi[t]) ? TextProblem::OutsideCodePage
                                                                           : TextProblem::None;
        if (problem != TextProblem::None) {
            doc_.setPaperCatalogueProblem(refusal(problem, texts[0]));
            return false;
        }
    }
    record = PaperRecord{};
    record.setName(ansi[0]);   // texts are cut to the record's 255 bytes here
    record.setSizeCode(int16_t(d.sizeCode));
    for (int a = 1; a <= 3; ++a)
        record.setAttribute(a, ansi[a]);
    record.setSingleSided(int16_t(d.singleSided));
    return true;
}

bool PaperCatalogue::LoadPaperCatalogue(const ProfileFile& file)
{
    const std::string section = text(IdsPaperSection);
    const int count = file.getInt(section, text(IdsPaperCountKey), -1);
    const int main = file.getInt(section, text(IdsMainPaperKey), -1);
    if (count > kMaxPapers) {
        doc_.setPaperCatalogueProblem(tooManyPapers());
        return false;
    }
    // Every definition is read before the list changes: a refused catalogue leaves it as it was.
    std::vector<PaperRecord> records(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i)
        if (!readDefinition(file, section, i, records[size_t(i)]))
            return false;

    RecordArray& papers = doc_.paperList();
    papers.pool().EnsureBudget(MemoryPool::kDefaultBudget + kPoolReserve);
    const bool wasModified = doc_.IsModified();
    papers.Clear();
    if (!papers.SetCount(int(records.size()))) {
        papers.pool().ReportMemoryError(doc_.dialogs());
        return false;
    }
    for (size_t i = 0; i < records.size(); ++i)
        papers.Set(int(i) + 1, records[i].bytes);
    doc_.options().setText(Field::paperName, "");
    doc_.options().setNumber(Field::paperIndex2, 0);
    SelectMainPaper(main);
    // A main position equal to the one the record already held selects nothing, not even within
    // the list: the job paper must still be a paper of the freshly read (maybe shorter) list, and
    // its name and the main-paper entry must follow it.
    if (papers.Count() >= 2) {
        const int position = std::clamp(doc_.GetPaperIndex(), 2, papers.Count());
        doc_.options().setNumber(Field::paperIndex, position);
        doc_.options().setText(Field::paperName, doc_.PaperNameAt(position));
        doc_.CopyPaperIntoEntry1(position);
    }
    doc_.SetModifiedFlag(wasModified);
    return true;
}

void PaperCatalogue::SelectMainPaper(int position) { doc_.SetPaperIndex(position); }

// --- writing ------------------------------------------------------------------------------------

// The paper section's keys for the document's list; false after a message naming a paper with a
// comma in a text.
bool PaperCatalogue::paperEntries(std::vector<std::pair<std::string, std::string>>& entries) const
{
    const RecordArray& papers = doc_.paperList();
    entries = {
        {text(IdsPaperCountKey), std::to_string(papers.Count())},
        {text(IdsMainPaperKey), std::to_string(mainPosition())},
    };
    for (int position = 1; position <= papers.Count(); ++position) {
        PaperRecord record;
        papers.Get(position, record.bytes);
        std::string texts[4] = {record.name(), record.attribute(1), record.attribute(2), record.attribute(3)};
        for (std::string& t : texts) {
            t = oneLine(ansiToUtf8(t));
            if (hasComma(t)) {
                showStop(refusal(TextProblem::Comma, ansiToUtf8(record.name())));
                return false;
            }
        }
        entries.emplace_back(definitionKey(position - 1), texts[0] + "," + std::to_string(record.sizeCode()) + ","
                                                              + texts[1] + "," + texts[2] + "," + texts[3] + ","
                                                              + std::to_string(record.singleSided()));
    }
    return true;
}

// The paper section of `file` replaced by the document's list and written; false after a message.
bool PaperCatalogue::storePapers(ProfileFile& file) const
{
    std::vector<std::pair<std::string, std::string>> entries;
    if (!paperEntries(entries))
        return false;
    // The old section goes and the new one comes in one write of the file: a failure leaves the
    // catalogue as it was instead of a part of it.
    if (!file.setStrings(text(IdsPaperSection), entries, true) || file.save(path()) != 0) {
        showWriteFailed();
        return false;
    }
    return true;
}

bool PaperCatalogue::SavePaperCatalogue()
{
    FileLock lock(path(), FileLock::Mode::Exclusive);
    ProfileFile file = ProfileFile::read(path());
    if (!lock.locked() || file.state() == ProfileFile::State::Unreadable) {
        showWriteFailed();
        return false;
    }
    return storePapers(file);
}

bool PaperCatalogue::SaveValueList(int list)
{
    if (list < 0 || list > 3)
        return false;
    const auto& values = doc_.nameLists()[size_t(list)];
    if (values.empty())
        return false;
    const std::string section = sectionName(list);
    const std::string keyStem = section.substr(0, section.size() - 1);
    std::vector<std::pair<std::string, std::string>> entries = {{"Num" + section, std::to_string(values.size())}};
    for (size_t i = 0; i < values.size(); ++i) {
        if (hasComma(values[i])) {
            showStop(text(IdsListEntryRefused) + values[i] + text(IdsListEntryHasComma));
            return false;
        }
        entries.emplace_back(keyStem + std::to_string(i), oneLine(values[i]));
    }
    return Profile::writeStrings(path(), section, entries);
}

bool PaperCatalogue::Update(const std::function<bool()>& change)
{
    FileLock lock(path(), FileLock::Mode::Exclusive);
    if (!lock.locked()) {
        showWriteFailed();
        return false;
    }
    ProfileFile file = ProfileFile::read(path());
    doc_.setPaperCatalogueProblem({});
    if (file.state() != ProfileFile::State::Read || !LoadValueLists(file) || !LoadPaperCatalogue(file)) {
        const std::string& problem = doc_.paperCatalogueProblem();
        showStop(!problem.empty() ? problem
                                  : text(IdsCatalogueUnreadable) + text(IdsPaperDefinitionsFile)
                                        + text(IdsSetupFailedEnd));
        return false;
    }
    return change() && storePapers(file);
}

bool PaperCatalogue::MakeRecord(const PaperText& paper, PaperRecord& record)
{
    const std::string texts[4] = {oneLine(paper.name), oneLine(paper.attribute[0]), oneLine(paper.attribute[1]),
                                  oneLine(paper.attribute[2])};
    std::string ansi[4];
    TextProblem problem = texts[0].empty() ? TextProblem::NoName : TextProblem::None;
    for (int t = 0; t < 4 && problem == TextProblem::None; ++t)
        if (hasComma(texts[t]))
            problem = TextProblem::Comma;
        else if (!utf8ToAnsiExact(texts[t], ansi[t]))
            problem = TextProblem::OutsideCodePage;
    if (problem != TextProblem::None) {
        showStop(refusal(problem, texts[0]));
        return false;
    }
    record = PaperRecord{};
    record.setName(ansi[0]);
    record.setSizeCode(paper.sizeCode);
    for (int a = 1; a <= 3; ++a)
        record.setAttribute(a, ansi[a]);
    record.setSingleSided(paper.singleSided);
    return true;
}

bool PaperCatalogue::AddPaper(const PaperText& paper)
{
    PaperRecord record;
    if (!MakeRecord(paper, record))
        return false;
    return Update([&] {
        RecordArray& papers = doc_.paperList();
        if (papers.Count() >= kMaxPapers) {
            showStop(tooManyPapers());
            return false;
        }
        if (doc_.FindPaper(record.name()) != 0) {
            showStop(text(IdsPaperRefused) + validUtf8(paper.name) + text(IdsPaperNameTaken));
            return false;
        }
        if (!papers.Append(record.bytes)) {
            papers.pool().ReportMemoryError(doc_.dialogs());
            return false;
        }
        return true;
    });
}

void PaperCatalogue::RemovePaperAt(int position)
{
    RecordArray& papers = doc_.paperList();
    if (!papers.RemoveAt(position))
        return;
    if (mainPosition() > position) {
        doc_.SetPaperIndex(mainPosition() - 1);
    } else if (mainPosition() == position && papers.Count() >= 2) {
        // The job paper itself went: its position now names the next paper (or the last one),
        // so the job paper's name and the main-paper entry follow that paper.
        const int now = std::min(position, papers.Count());
        doc_.options().setNumber(Field::paperIndex, now);
        doc_.options().setText(Field::paperName, doc_.PaperNameAt(now));
        doc_.CopyPaperIntoEntry1(now);
        doc_.SetModifiedFlag(true);
    }
    // The other paper choices hold position - 1: the papers after the removed one move up by one.
    // A choice of the removed paper itself now names the paper that took its place, or the
    // first real paper when the last one went.
    for (Field field : {Field::frontCoverPaper, Field::backCoverPaper, Field::statusPaper, Field::separatorPaper,
                        Field::headerPaper}) {
        const int chosen = doc_.get(field) + 1;
        const int now = chosen > position ? chosen - 1 : chosen > papers.Count() ? 2 : chosen;
        if (now != chosen) {
            doc_.options().setNumber(field, now - 1);
            doc_.SetModifiedFlag(true);
        }
    }
    for (int i = 1; i <= doc_.ExceptionCount(); ++i) {
        auto record = doc_.GetException(i);
        if (record && record->paperPosition() > position) {
            record->setPaperPosition(int16_t(record->paperPosition() - 1));
            doc_.exceptionList().Set(i, record->bytes);
            doc_.SetModifiedFlag(true);
        }
    }
}

} // namespace spx
