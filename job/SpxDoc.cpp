#include "SpxDoc.h"

#include <strings.h>

#include <algorithm>

#include "CodePage.h"
#include "PaperCatalogue.h"
#include "Profile.h"

namespace spx {

namespace {
constexpr size_t kSetterCut = 260;
} // namespace

CSpxDoc::CSpxDoc(const Configuration& config, IDialogs& dialogs)
    : config_(config), dialogs_(dialogs),
      paperList_(std::make_unique<RecordArray>(PaperRecord::kSize)),
      exceptionList_(std::make_unique<RecordArray>(ExceptionRecord::kSize))
{
    accessPassword = Profile::getString(config_.profilePath(), text(IdsAccessSection), text(IdsPasswordKey), "", 260);
    options_.setNumber(Field::activePage, 1);
    for (auto& list : nameLists_)
        list.clear();
    PaperCatalogue catalogue(*this);
    paperCatalogueLoaded_ = catalogue.Load();
    modified_ = false;
    flags_.jobChanged = false;
}

CSpxDoc::~CSpxDoc()
{
    exceptionList_->Clear();
    paperList_->Clear();
    for (auto& list : nameLists_)
        list.clear();
}

bool CSpxDoc::set(Field f, int64_t value)
{
    JobOptions probe = options_;
    probe.setNumber(f, value);
    if (probe.number(f) == options_.number(f))
        return false;
    if (!flags_.loading)
        SetModifiedFlag(true);
    options_.setNumber(f, value);
    return true;
}

bool CSpxDoc::setText(Field f, std::string_view value)
{
    const FieldInfo& info = fieldInfo(f);
    if (info.cutTo260 && value.size() > kSetterCut)
        value = value.substr(0, kSetterCut);
    value = value.substr(0, std::min(value.size(), size_t(info.width) - 1));
    if (options_.text(f) == value)
        return false;
    if (!flags_.loading)
        SetModifiedFlag(true);
    options_.setText(f, value);
    return true;
}

std::string CSpxDoc::GetCatalogueSelAttr(int which) const
{
    return getText(which == 1 ? Field::catalogueSelAttr1 : which == 2 ? Field::catalogueSelAttr2 : Field::catalogueSelAttr3);
}

void CSpxDoc::SetModifiedFlag(bool modified)
{
    const bool changed = modified_ != modified;
    modified_ = modified;
    if (changed && views_)
        views_->modifiedChanged(modified);
    flags_.jobChanged = modified;
}

void CSpxDoc::DeleteContents() { exceptionList_->Clear(); }

void CSpxDoc::OnCloseDocument()
{
    if (views_)
        views_->releasePrinterData();
}

// --- papers ----------------------------------------------------------------------------------

std::string CSpxDoc::PaperNameAt(int position) const
{
    const uint8_t* entry = paperList_->At(position);
    if (!entry)
        return {};
    const char* name = reinterpret_cast<const char*>(entry);
    return std::string(name, strnlen(name, PaperRecord::kTextSize - 1));
}

int CSpxDoc::FindPaper(const std::string& name) const
{
    for (int position = 1; position <= paperList_->Count(); ++position)
        if (strcasecmp(PaperNameAt(position).c_str(), name.c_str()) == 0)
            return position;
    return 0;
}

void CSpxDoc::SetPaperIndex(int position)
{
    const int count = paperList_->Count();
    if (count <= 1 || position == get(Field::paperIndex))
        return;
    position = std::clamp(position, 2, count);
    options_.setNumber(Field::paperIndex, position);
    options_.setText(Field::paperName, PaperNameAt(position));
    CopyPaperIntoEntry1(position);
    SetModifiedFlag(true);
}

void CSpxDoc::CopyPaperIntoEntry1(int position)
{
    if (position == 0)
        return;
    PaperRecord copy;
    if (!paperList_->Get(position, copy.bytes) || paperList_->Count() < 1)
        return;
    copy.setName(PaperNameAt(1));
    paperList_->Set(1, copy.bytes);
}

void CSpxDoc::CopyNameList(int which, std::vector<std::string>& out) const
{
    out.clear();
    if (which >= 1 && which <= 5)
        out = nameLists_[size_t(which - 1)];
}

bool CSpxDoc::loadCatalogueIfNeeded()
{
    if (paperCatalogueLoaded_)
        return true;
    PaperCatalogue catalogue(*this);
    paperCatalogueLoaded_ = catalogue.Load();
    return paperCatalogueLoaded_;
}

bool CSpxDoc::ResetJobOptions()
{
    if (!loadCatalogueIfNeeded())
        return false;
    SetPaperIndex(1);
    CopyPaperIntoEntry1(1);

    const bool wasPostScript = get(Field::printerLanguage) == 0;
    const int16_t outputExit2 = options_.int16At(fieldInfo(Field::outputExit2).offset);
    const int16_t paperIndex = options_.int16At(fieldInfo(Field::paperIndex).offset);
    const std::string paperName = options_.text(Field::paperName);
    const uint32_t activePage = options_.unsignedNumber(Field::activePage);
    std::array<uint8_t, 256> unassigned;
    std::copy_n(options_.data() + RecordOffset::unassignedBlock, 256, unassigned.begin());
    const int16_t unassignedWord = options_.int16At(RecordOffset::unassignedWord);
    const uint32_t listHandles[2] = {options_.uint32At(RecordOffset::paperListHandle),
                                     options_.uint32At(RecordOffset::exceptionListHandle)};

    // Every field and spare to its default; the few parts the reset leaves alone are put back.
    options_.clearRange(0, kJobOptionsSize);
    for (size_t i = 0; i < kFieldCount; ++i) {
        const FieldInfo& info = kJobFields[i];
        if (info.type != FieldType::Text && info.rule == DefaultRule::Value)
            options_.setNumber(static_cast<Field>(i), info.defaultValue);
    }
    options_.setNumber(Field::pamphletPages, wasPostScript ? 88 : 60);
    options_.setNumber(Field::outputExit, 4);
    options_.setInt16At(fieldInfo(Field::outputExit2).offset, outputExit2);
    options_.setInt16At(fieldInfo(Field::paperIndex).offset, paperIndex);
    options_.setText(Field::paperName, paperName);
    options_.setNumber(Field::activePage, activePage);
    options_.setInt16At(4044, 1);   // the second word of the spare pair after paperName defaults to 1
    std::copy(unassigned.begin(), unassigned.end(), options_.data() + RecordOffset::unassignedBlock);
    options_.setInt16At(RecordOffset::unassignedWord, unassignedWord);
    options_.setUint32At(RecordOffset::paperListHandle, listHandles[0]);
    options_.setUint32At(RecordOffset::exceptionListHandle, listHandles[1]);
    return true;
}

bool CSpxDoc::ResetForPrinterChange()
{
    if (!loadCatalogueIfNeeded())
        return false;
    if (get(Field::collateForced) != 0) {
        options_.setNumber(Field::collate, 1);
        options_.setNumber(Field::collateForced, 0);
    }
    const bool postScript = get(Field::printerLanguage) == 0;
    options_.setNumber(Field::outputExit, postScript ? 4 : 1);
    options_.setNumber(Field::outputExit2, 0);
    options_.setNumber(Field::printRange, 1);
    options_.clearRange(fieldInfo(Field::pageRangeActive).offset, 3260 - 3242);   // through toPage and its spares
    options_.setNumber(Field::fileLanguage, 0);
    options_.setNumber(Field::fileLanguage2, 0);
    options_.setNumber(Field::pamphletPages, postScript ? 88 : 60);
    return true;
}

// --- paper exceptions ------------------------------------------------------------------------

std::optional<ExceptionRecord> CSpxDoc::GetException(int position) const
{
    ExceptionRecord record;
    if (!exceptionList_->Get(position, record.bytes))
        return std::nullopt;
    return record;
}

bool CSpxDoc::AddException(const std::string& pageList, int paperPosition, int kind, int position)
{
    // A job file holds at most this many; a job that had more could not be saved.
    if (exceptionList_->Count() >= kMaxStoredExceptions) {
        message(text(IdsTooManyExceptions), MessageIcon::Stop);
        return false;
    }
    ExceptionRecord record;
    record.setPaperName(PaperNameAt(paperPosition));
    record.setPageList(pageList);
    record.setPaperPosition(int16_t(paperPosition));
    record.setKind(int16_t(kind));
    bool ok = position <= 0 || position > exceptionList_->Count() ? exceptionList_->Append(record.bytes)
                                                                   : exceptionList_->InsertAt(position, record.bytes);
    if (ok)
        SetModifiedFlag(true);
    else
        exceptionList_->pool().ReportMemoryError(dialogs_);
    return ok;
}

bool CSpxDoc::DeleteException(int position)
{
    if (!exceptionList_->RemoveAt(position))
        return false;
    SetModifiedFlag(true);
    return true;
}

bool CSpxDoc::SwapExceptionWithNeighbour(int position, int direction)
{
    const int other = position + (direction < 0 ? -1 : 1);
    ExceptionRecord a, b;
    if (!exceptionList_->Get(position, a.bytes) || !exceptionList_->Get(other, b.bytes))
        return false;
    exceptionList_->Set(position, b.bytes);
    exceptionList_->Set(other, a.bytes);
    SetModifiedFlag(true);
    return true;
}

bool CSpxDoc::changeException(int position, const std::function<bool(ExceptionRecord&)>& change)
{
    auto record = GetException(position);
    if (!record)
        return false;
    if (!change(*record))
        return true;   // already so: nothing to store, nothing modified
    exceptionList_->Set(position, record->bytes);
    SetModifiedFlag(true);
    return true;
}

bool CSpxDoc::SetExceptionPaper(int position, int paperPosition)
{
    return changeException(position, [&](ExceptionRecord& record) {
        if (record.paperPosition() == paperPosition)
            return false;
        record.setPaperPosition(int16_t(paperPosition));
        record.setPaperName(PaperNameAt(paperPosition));
        return true;
    });
}

bool CSpxDoc::SetExceptionKind(int position, int kind)
{
    return changeException(position, [&](ExceptionRecord& record) {
        if (record.kind() == kind)
            return false;
        record.setKind(int16_t(kind));
        return true;
    });
}

bool CSpxDoc::SetExceptionPageList(int position, const std::string& pageList)
{
    return changeException(position, [&](ExceptionRecord& record) {
        if (record.pageList() == pageList.substr(0, 255))
            return false;
        record.setPageList(pageList);
        return true;
    });
}

} // namespace spx
