// What a job file means to the document: a parsed job-file value applied to the job (the
// record, the stored paper names, the exceptions matched against the catalogue, the upgrade of
// older versions) and the value a save writes.

#include <strings.h>

#include <algorithm>

#include "CodePage.h"
#include "JobFileFormat.h"
#include "PageListCheck.h"
#include "SpxDoc.h"

namespace spx {

namespace {
constexpr int kPrinterLanguageOffsetInFile = 6;

// Text fields end within their width, whatever the file held.
void terminateTextFields(JobOptions& options)
{
    for (size_t i = 0; i < kFieldCount; ++i) {
        const FieldInfo& info = kJobFields[i];
        if (info.type == FieldType::Text)
            options.data()[info.offset + info.width - 1] = 0;
    }
}
} // namespace

JobFileSignatures CSpxDoc::jobFileSignatures() const
{
    return {strings().ansi(IdsSignatureA), strings().ansi(IdsSignatureB)};
}

bool CSpxDoc::applyJobFile(const JobFileValue& value)
{
    flags_.signatureKind = value.firstSignature;
    // The paper names and the missing-paper flag belong to this file alone: a version 1 file
    // stores no names, and must not be matched against those of the job loaded before it.
    for (auto& name : storedPaperNames)
        name.clear();
    missingPaper_ = false;
    if (value.version <= 3)
        dialogs_.messageBox(text(IdsOldVersion3), MessageIcon::Information, MessageButtons::Ok);
    else if (value.version == 4)
        dialogs_.messageBox(text(IdsOldVersion4), MessageIcon::Information, MessageButtons::Ok);

    std::copy_n(value.record.data(), recordBytesOfVersion(value.version), options_.data());
    terminateTextFields(options_);
    // The stored list handles mean nothing here.
    options_.setUint32At(RecordOffset::paperListHandle, 0);
    options_.setUint32At(RecordOffset::exceptionListHandle, 0);
    ResolvePaperName();

    if (value.version >= 2) {
        storedPaperNames = value.paperNames;
        exceptionList_->Clear();
        for (ExceptionRecord entry : value.exceptions) {
            reconcileException(entry);
            if (!exceptionList_->Append(entry.bytes)) {
                exceptionList_->pool().ReportMemoryError(dialogs_);
                return false;
            }
        }
    }
    if (value.version >= 3 && value.exceptionsStored())
        printerQueuePosition = value.printerQueuePosition;
    // A page list goes into the job header as it stands: a file whose list holds anything else
    // (a line break and a printer command) is refused.
    if (const auto bad = findBadPageList(options_, *exceptionList_)) {
        message("The job file was not opened. " + *bad, MessageIcon::Stop);
        return false;
    }
    return true;
}

// An exception keeps its position when the catalogue has its paper there; else the paper is
// looked up by name, and a position without a paper makes the job's papers "missing".
void CSpxDoc::reconcileException(ExceptionRecord& entry)
{
    const std::string name = entry.paperName();
    const int position = entry.paperPosition();
    const std::string atPosition = PaperNameAt(position);
    if (!atPosition.empty() && strcasecmp(name.c_str(), atPosition.c_str()) == 0)
        return;
    if (atPosition.empty()) {
        entry.setPaperPosition(1);
        missingPaper_ = true;
        return;
    }
    const int found = FindPaper(name);
    entry.setPaperPosition(int16_t(found ? found : 1));
}

void CSpxDoc::ResolvePaperName()
{
    const std::string name = getText(Field::paperName);
    if (!name.empty())
        options_.setNumber(Field::paperIndex, FindPaper(name));
}

void CSpxDoc::CheckPrinterModel()
{
    const int language = get(Field::printerLanguage) - kPrinterLanguageOffsetInFile;
    options_.setNumber(Field::printerLanguage, language);
    const int count = views_ ? views_->printerLanguageCount() : 2;
    if (language < 0 || language >= count) {
        message(text(IdsUnknownPrinterModel), MessageIcon::Exclamation);
        options_.setNumber(Field::printerLanguage, 1);
    }
}

void CSpxDoc::UpgradeFromVersion3()
{
    if (get(Field::printerLanguage) == 0)
        options_.setNumber(Field::printerLanguage, 1);
    options_.setNumber(Field::writeDestination, 1);
    auto mapValue = [&](Field f, std::initializer_list<std::pair<int, int>> map) {
        const int value = get(f);
        for (auto [from, to] : map)
            if (value == from) {
                options_.setNumber(f, to);
                return true;
            }
        return false;
    };
    if (!mapValue(Field::outputExit, {{0, 1}, {1, 4}, {2, 2}, {3, 6}, {4, 3}}))
        return;
    if (!mapValue(Field::frontCover, {{0, 0}, {1, 3}, {2, 4}}))
        return;
    if (!mapValue(Field::backCover, {{0, 0}, {1, 3}, {2, 4}}))
        return;
    options_.setNumber(Field::trimEdges, 0);
    options_.setNumber(Field::emailAddressFlag, 1);
    options_.setText(Field::emailAddress, "");
}

bool CSpxDoc::MatchPaper(Field field, const std::string& storedName, bool holdsPosition)
{
    const int value = get(field);
    if (holdsPosition && value == 0) {
        options_.setNumber(field, 2);
        return false;
    }
    if (storedName.empty())
        return true;
    const std::string current = PaperNameAt(holdsPosition ? value : value + 1);
    if (!current.empty() && strcasecmp(current.c_str(), storedName.c_str()) == 0)
        return true;
    const int found = FindPaper(storedName);
    if (found >= 2) {
        options_.setNumber(field, holdsPosition ? found : found - 1);
        return true;
    }
    options_.setNumber(field, holdsPosition ? 2 : 1);
    return false;
}

void CSpxDoc::ReconcilePapers()
{
    static constexpr Field kPaperFields[kStoredPaperNames] = {Field::paperIndex, Field::statusPaper,
                                                              Field::frontCoverPaper, Field::backCoverPaper,
                                                              Field::separatorPaper, Field::headerPaper};
    bool failed = missingPaper_;
    if (!missingPaper_)
        for (int i = 0; i < kStoredPaperNames; ++i)
            failed = !MatchPaper(kPaperFields[i], storedPaperNames[size_t(i)], i == 0) || failed;

    // Positions that point outside the catalogue (a file from another installation without
    // stored names) are brought into it, so nothing later reads a paper that is not there.
    const int count = PaperCount();
    if (count >= 2) {
        const int index = get(Field::paperIndex);
        if (index < 2 || index > count)
            options_.setNumber(Field::paperIndex, index < 2 ? 2 : count);
        for (int i = 1; i < kStoredPaperNames; ++i) {
            const int value = get(kPaperFields[i]);
            if (value < 0 || value > count - 1)
                options_.setNumber(kPaperFields[i], 1);
        }
    }
    // The job paper's name and the main-paper entry follow the position that was settled on.
    if (count >= 2) {
        options_.setText(Field::paperName, PaperNameAt(get(Field::paperIndex)));
        CopyPaperIntoEntry1(get(Field::paperIndex));
    }

    if (failed) {
        missingPaper_ = true;
        // Paper names are held in the records' code page; the message is UTF-8.
        message(text(IdsPapersReplaced) + " \"" + ansiToUtf8(PaperNameAt(2)) + "\" " + text(IdsPapersReplacedEnd),
                MessageIcon::Exclamation);
    }
    SetModifiedFlag(missingPaper_);
}

// --- Save --------------------------------------------------------------------------------------

std::string CSpxDoc::storedNameFor(int slot) const
{
    static constexpr Field kFields[kStoredPaperNames] = {Field::paperIndex, Field::statusPaper, Field::frontCoverPaper,
                                                         Field::backCoverPaper, Field::separatorPaper, Field::headerPaper};
    const int value = get(kFields[slot]);
    return PaperNameAt(slot == 0 ? value : value + 1);
}

JobFileValue CSpxDoc::jobFileValue()
{
    JobFileValue value;
    value.firstSignature = flags_.signatureKind;
    options_.setUint32At(fieldInfo(Field::paperCount).offset, uint32_t(PaperCount()));
    value.record = options_;
    value.record.setNumber(Field::printerLanguage, get(Field::printerLanguage) + kPrinterLanguageOffsetInFile);
    for (int slot = 0; slot < kStoredPaperNames; ++slot)
        value.paperNames[size_t(slot)] = storedNameFor(slot);
    value.exceptionCount = uint16_t(ExceptionCount());
    if (value.exceptionsStored()) {
        // Each entry carries the name of the paper at its position, where the catalogue has one.
        for (int i = 1; i <= ExceptionCount(); ++i) {
            ExceptionRecord entry;
            exceptionList_->Get(i, entry.bytes);
            const std::string catalogueName = PaperNameAt(entry.paperPosition());
            if (!catalogueName.empty())
                entry.setPaperName(catalogueName);
            value.exceptions.push_back(entry);
        }
    }
    value.printerQueuePosition = printerQueuePosition;
    return value;
}

} // namespace spx
