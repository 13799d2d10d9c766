#include "PaperCatalogue.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "CodePage.h"
#include "Profile.h"
#include "SpxDoc.h"

namespace spx {

namespace {
constexpr size_t kValueBuffer = 512;   // a paper definition is read into this many bytes
constexpr size_t kEntryBuffer = 256;   // a value list entry likewise

// Splits "name,size,attr1,attr2,attr3,flag" as the six-field format reads it: each text field
// stops at the next comma and may not be empty; a field that cannot be read ends the parse, and
// the fields after it stay empty or zero.
struct ParsedDefinition {
    std::string name, attribute[3];
    int sizeCode = 0, singleSided = 0;
};

bool readTextField(const std::string& s, size_t& pos, std::string& out)
{
    size_t end = s.find(',', pos);
    if (end == std::string::npos)
        end = s.size();
    if (end == pos)
        return false;
    out = s.substr(pos, std::min(end - pos, PaperRecord::kTextSize - 1));
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
    return d;
}

// Commas would break the six-field format and line breaks the file: they are written as
// semicolons and spaces.
std::string withoutCommas(std::string text)
{
    for (char& c : text)
        if (c == ',')
            c = ';';
        else if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}
} // namespace

PaperCatalogue::PaperCatalogue(CSpxDoc& doc) : doc_(doc) {}

std::string PaperCatalogue::path() const { return doc_.config().paperDefinitionsPath(); }

int PaperCatalogue::mainPosition() const { return doc_.GetPaperIndex(); }

std::string PaperCatalogue::sectionName(int list) const { return doc_.strings().text(kValueLists[list].sectionId); }

std::string PaperCatalogue::applyDefaultMarker(const std::string& stored, int defaultWordId) const
{
    const std::string& marker = doc_.strings().text(IdsDefaultMarker);
    if (!stored.empty() && marker.size() >= 2 && stored.size() >= marker.size() && stored.compare(0, 2, marker, 0, 2) == 0)
        return doc_.strings().text(defaultWordId);
    return stored;
}

std::string PaperCatalogue::applyNumericReference(const std::string& text, int list) const
{
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0])))
        return text;
    long n = 0;
    for (size_t i = 0; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && n < 100000; ++i)
        n = n * 10 + (text[i] - '0');
    const auto& values = doc_.nameLists()[size_t(list)];
    if (n > 0 && size_t(n) < values.size())
        return values[size_t(n)];
    return text;
}

bool PaperCatalogue::LoadValueLists()
{
    auto& lists = doc_.nameLists();
    for (auto& list : lists)
        list.clear();
    const std::string file = path();
    for (int list = 0; list < 4; ++list) {
        const std::string section = sectionName(list);
        const int count = Profile::getInt(file, section, "Num" + section, -1);
        if (count == -1)
            return false;
        const std::string keyStem = section.substr(0, section.empty() ? 0 : section.size() - 1);
        for (int i = 0; i < count && i < 10000; ++i) {
            std::string entry = Profile::getString(file, section, keyStem + std::to_string(i), "", kEntryBuffer);
            entry = applyDefaultMarker(entry, kValueLists[list].defaultWordId);
            if (entry.empty())
                entry = doc_.strings().text(IdsEmptyListEntry);
            lists[size_t(list)].push_back(entry);
        }
    }
    lists[4] = {doc_.strings().text(IdsBothSides), doc_.strings().text(IdsSingleSidedOnly)};
    return true;
}

bool PaperCatalogue::LoadPaperCatalogue()
{
    const std::string file = path();
    const std::string section = doc_.strings().text(IdsPaperSection);
    const int count = Profile::getInt(file, section, doc_.strings().text(IdsPaperCountKey), -1);
    const int main = Profile::getInt(file, section, doc_.strings().text(IdsMainPaperKey), -1);
    const bool wasModified = doc_.IsModified();
    RecordArray& papers = doc_.paperList();
    papers.Clear();
    for (int i = 0; i < count; ++i) {
        char key[32];
        std::snprintf(key, sizeof key, "PaperDef%d", i);
        const std::string value = Profile::getString(file, section, key, "", kValueBuffer);
        ParsedDefinition d = parseDefinition(value);
        PaperRecord record;
        record.setName(utf8ToAnsi(applyDefaultMarker(d.name, IdsDefaultPaperName)));
        record.setSizeCode(int16_t(d.sizeCode));
        for (int a = 1; a <= 3; ++a) {
            std::string attribute = applyDefaultMarker(d.attribute[a - 1], kValueLists[a].defaultWordId);
            record.setAttribute(a, utf8ToAnsi(applyNumericReference(attribute, a)));
        }
        record.setSingleSided(int16_t(d.singleSided));
        if (!papers.Append(record.bytes))
            return false;
    }
    doc_.options().setText(Field::paperName, "");
    doc_.options().setNumber(Field::paperIndex2, 0);
    SelectMainPaper(main);
    // A main position equal to the one the record already held selects nothing; the job paper's
    // name and the main-paper entry must still follow the freshly read catalogue.
    if (doc_.GetPaperName().empty() && doc_.GetPaperIndex() >= 2) {
        doc_.options().setText(Field::paperName, doc_.PaperNameAt(doc_.GetPaperIndex()));
        doc_.CopyPaperIntoEntry1(doc_.GetPaperIndex());
    }
    doc_.SetModifiedFlag(wasModified);
    return true;
}

void PaperCatalogue::SelectMainPaper(int position) { doc_.SetPaperIndex(position); }

bool PaperCatalogue::SavePaperCatalogue()
{
    const StringTable& s = doc_.strings();
    const RecordArray& papers = doc_.paperList();
    std::vector<std::pair<std::string, std::string>> entries = {
        {s.text(IdsPaperCountKey), std::to_string(papers.Count())},
        {s.text(IdsMainPaperKey), std::to_string(mainPosition())},
    };
    for (int position = 1; position <= papers.Count(); ++position) {
        PaperRecord record;
        papers.Get(position, record.bytes);
        char key[32];
        std::snprintf(key, sizeof key, "PaperDef%d", position - 1);
        entries.emplace_back(key, withoutCommas(ansiToUtf8(record.name())) + "," + std::to_string(record.sizeCode()) + ","
                                      + withoutCommas(ansiToUtf8(record.attribute(1))) + ","
                                      + withoutCommas(ansiToUtf8(record.attribute(2))) + ","
                                      + withoutCommas(ansiToUtf8(record.attribute(3))) + ","
                                      + std::to_string(record.singleSided()));
    }
    // The old section goes and the new one comes in one write of the file: a failure leaves the
    // catalogue as it was instead of a part of it.
    if (!Profile::writeStrings(path(), s.text(IdsPaperSection), entries, true)) {
        // A configuration folder the operator may not write is named, so the cause is plain.
        std::string message = doc_.config().configFolderWriteMessage();
        if (message.empty())
            message = s.text(IdsCatalogueWriteFailed) + s.text(IdsPaperDefinitionsFile) + s.text(IdsCatalogueWriteFailedEnd);
        doc_.dialogs().messageBox(message, MessageIcon::Stop, MessageButtons::Ok);
        return false;
    }
    return true;
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
    for (size_t i = 0; i < values.size(); ++i)
        entries.emplace_back(keyStem + std::to_string(i), withoutCommas(values[i]));
    return Profile::writeStrings(path(), section, entries);
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
