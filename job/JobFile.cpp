// Job files: reading versions 1 to 5, writing version 5, and the File commands of the document.

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "CodePage.h"
#include "FileLock.h"
#include "JobFile.h"
#include "JobFileAccess.h"
#include "PageListCheck.h"
#include "Profile.h"
#include "SpxDoc.h"

namespace spx {

namespace {
constexpr uint16_t kMarker = 26;
constexpr uint16_t kCurrentVersion = 5;
constexpr int kPrinterLanguageOffsetInFile = 6;
constexpr size_t kPaperNameSlot = 256;

// Reads integers and blocks from a file image; every read reports a short file.
class CheckedReader {
public:
    explicit CheckedReader(const std::string& data) : data_(data) {}
    bool bytes(void* out, size_t count)
    {
        if (data_.size() - pos_ < count)
            return false;
        std::memcpy(out, data_.data() + pos_, count);
        pos_ += count;
        return true;
    }
    bool uint16(uint16_t& out)
    {
        uint8_t b[2];
        if (!bytes(b, 2))
            return false;
        out = uint16_t(b[0] | (b[1] << 8));
        return true;
    }
    bool uint32(uint32_t& out)
    {
        uint8_t b[4];
        if (!bytes(b, 4))
            return false;
        out = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        return true;
    }

private:
    const std::string& data_;
    size_t pos_ = 0;
};

void putUint16(std::string& out, uint16_t v)
{
    out += char(v & 0xFF);
    out += char(v >> 8);
}

void putUint32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += char((v >> (8 * i)) & 0xFF);
}

std::string nameSlot(const std::string& name)
{
    std::string slot(kPaperNameSlot, '\0');
    std::memcpy(slot.data(), name.data(), std::min(name.size(), kPaperNameSlot - 1));
    return slot;
}

std::string fileNamePart(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Largest job file the reader takes in: every block of version 5 with 512 exceptions.
constexpr size_t kMaxJobFileSize = 64 + 4 + kJobOptionsSize + 6 * kPaperNameSlot + 2
                                   + 512 * ExceptionRecord::kSize + 4;

bool accessDenied(int error) { return error == EACCES || error == EPERM || error == EROFS; }
} // namespace

bool IsValidJobPath(const std::string& path)
{
    size_t component = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        switch (c) {
        case '\t': case '*': case '+': case ',': case ';': case '<': case '>': case '?': case '|':
            return false;
        case ':':
            if (i != 1)
                return false;
            component = 0;
            break;
        case '.': case '\\': case '/':
            component = 0;
            break;
        default:
            if (++component > 260)
                return false;
        }
    }
    return true;
}

// --- New ---------------------------------------------------------------------------------------

bool CSpxDoc::OnNewDocument()
{
    flags_.signatureKind = false;
    const uint32_t activePage = options_.unsignedNumber(Field::activePage);
    DeleteContents();
    const std::string papers = config_.paperDefinitionsPath();
    if (::access(papers.c_str(), R_OK) != 0) {
        message(text(IdsPaperDefinitionsFile) + text(IdsPaperFileMissing), MessageIcon::Stop);
        return false;
    }
    if (!ResetJobOptions()) {
        message(text(IdsSetupFailed) + text(IdsPaperDefinitionsFile) + text(IdsSetupFailedEnd), MessageIcon::Stop);
        return false;
    }
    title_ = text(IdsUntitled);
    SetModifiedFlag(true);
    jobFileTitle_.clear();
    pathName_.clear();
    readOnly_ = false;
    diskStamp_.reset();
    updateLock_.reset();
    options_.setNumber(Field::activePage, activePage);
    refreshViews();
    SetModifiedFlag(false);
    return true;
}

// --- Load --------------------------------------------------------------------------------------

void CSpxDoc::showInvalidFile()
{
    message(text(IdsInvalidFileStart) + text(IdsInvalidFile2) + text(IdsInvalidFileEnd), MessageIcon::Stop);
}

// A file that cannot be read at all is told apart from one that is not a job file.
void CSpxDoc::showUnreadable(JobFileRead outcome, int error, const std::string& path)
{
    if (outcome == JobFileRead::Missing)
        message(text(IdsJobFileMissing) + "\n" + path, MessageIcon::Stop);
    else if (outcome == JobFileRead::Failed)
        message(text(IdsJobFileUnreadable) + "\n" + path + "\n" + std::strerror(error), MessageIcon::Stop);
    else
        showInvalidFile();
}

bool CSpxDoc::OnOpenDocument(const std::string& requestedPath)
{
    std::string path = requestedPath;
    if (!path.empty() && path.front() == '"')
        path = path.substr(1, path.size() >= 2 ? path.size() - 2 : 0);
    flags_.signatureKind = false;
    if (loadJobFile(path))
        return true;
    // A job that failed to load takes nobody's name: Save asks for one, so the file that could
    // not be read is never overwritten, and there is nothing to save yet.
    ResetJobOptions();
    title_ = text(IdsUntitled);
    pathName_.clear();
    jobFileTitle_.clear();
    readOnly_ = false;
    diskStamp_.reset();
    SetModifiedFlag(false);
    return false;
}

// Opened by name, a job file the user may not write is used read-only.
bool CSpxDoc::probeOpenedByName(const std::string& path)
{
    switch (pathKind(path)) {
    case PathKind::Missing:
        return false;
    case PathKind::Other:
        showInvalidFile();
        return false;
    case PathKind::Regular:
        break;
    }
    if (::access(path.c_str(), W_OK) == 0) {
        readOnly_ = false;
        return true;
    }
    if (!accessDenied(errno))
        return false;
    readOnly_ = true;
    message(path + "\n" + text(IdsReadOnlyLoad), MessageIcon::Exclamation);
    return true;
}

bool CSpxDoc::loadJobFile(const std::string& path)
{
    const uint32_t activePage = options_.unsignedNumber(Field::activePage);
    if (flags_.openedByName && !probeOpenedByName(path))
        return false;

    std::unique_ptr<RecordArray> paperCopy(paperList_->Clone());
    std::unique_ptr<RecordArray> exceptionCopy(exceptionList_->Clone());
    if (!paperCopy || !exceptionCopy)
        return false;

    pathName_ = path;
    jobFileTitle_ = fileNamePart(path);
    title_ = jobFileTitle_;

    if (!ResetJobOptions())
        return false;
    const JobOptions defaults = options_;

    JobFileImage image;
    const JobFileRead outcome = readJobFileImage(path, kMaxJobFileSize, image);
    if (outcome != JobFileRead::Ok) {
        showUnreadable(outcome, image.error, path);
        return false;
    }
    JobFileReader reader(*this, image.bytes);
    const JobFileReader::Result result = reader.read(*paperCopy, *exceptionCopy);
    if (result != JobFileReader::Result::Ok) {
        // A file that is not ours, or that ends early, leaves a usable job at its defaults with
        // the papers and exceptions the document had.
        paperList_->CopyFrom(*paperCopy);
        exceptionList_->CopyFrom(*exceptionCopy);
        options_ = defaults;
        if (result != JobFileReader::Result::Refused)
            showInvalidFile();
        return false;
    }

    CheckPrinterModel();
    options_.setNumber(Field::activePage, flags_.openedByName ? 2 : activePage);
    if (reader.version() <= 3)
        UpgradeFromVersion3();
    if (reader.version() <= 4) {
        options_.setNumber(Field::copies, uint16_t(options_.number(Field::legacyCopies)));
        options_.setNumber(Field::legacyCopies, 0);
    }
    ReconcilePapers();
    flags_.jobFileLoaded = true;
    SetModifiedFlag(missingPaper_);
    freeformColorAtLoad_ = get(Field::freeformColor);
    diskStamp_ = image.stamp;
    return true;
}

JobFileReader::JobFileReader(CSpxDoc& doc, const std::string& image) : doc_(doc), image_(image) {}

JobFileReader::Result JobFileReader::read(const RecordArray& paperCopy, const RecordArray& exceptionCopy)
{
    CheckedReader in(image_);
    const StringTable& strings = doc_.strings();
    const std::string signatureA = strings.ansi(IdsSignatureA);
    const std::string signatureB = strings.ansi(IdsSignatureB);
    std::string signature(signatureA.size(), '\0');
    if (!in.bytes(signature.data(), signature.size()))
        return Result::NotAJobFile;
    if (signature == signatureA)
        doc_.flags_.signatureKind = true;
    else if (signature == signatureB)
        doc_.flags_.signatureKind = false;
    else
        return Result::NotAJobFile;

    uint16_t marker = 0, version = 0;
    if (!in.uint16(marker) || marker != kMarker || !in.uint16(version) || version < 1 || version > kCurrentVersion)
        return Result::NotAJobFile;
    version_ = version;

    // The paper names and the missing-paper flag belong to this file alone: a version 1 file
    // stores no names, and must not be matched against those of the job loaded before it.
    for (auto& name : doc_.storedPaperNames)
        name.clear();
    doc_.missingPaper_ = false;

    // The lists are rebuilt from the copies taken before the load.
    doc_.paperList().CopyFrom(paperCopy);
    doc_.exceptionList().CopyFrom(exceptionCopy);

    if (version <= 3)
        doc_.dialogs().messageBox(strings.text(IdsOldVersion3), MessageIcon::Information, MessageButtons::Ok);
    else if (version == 4)
        doc_.dialogs().messageBox(strings.text(IdsOldVersion4), MessageIcon::Information, MessageButtons::Ok);
    const size_t recordBytes = version <= 3 ? 6968 : version == 4 ? 7232 : kJobOptionsSize;
    JobOptions& options = doc_.options();
    if (!in.bytes(options.data(), recordBytes))
        return Result::Truncated;
    terminateTextFields(options);
    // The stored list handles mean nothing here.
    options.setUint32At(RecordOffset::paperListHandle, 0);
    options.setUint32At(RecordOffset::exceptionListHandle, 0);

    doc_.ResolvePaperName();

    if (version >= 2) {
        doc_.exceptionList().Clear();
        for (auto& name : doc_.storedPaperNames) {
            char slot[kPaperNameSlot];
            if (!in.bytes(slot, sizeof slot))
                return Result::Truncated;
            name.assign(slot, strnlen(slot, kPaperNameSlot - 1));
        }
        uint16_t count = 0;
        if (!in.uint16(count))
            return Result::Truncated;
        if (count <= CSpxDoc::kMaxStoredExceptions) {
            for (uint16_t i = 0; i < count; ++i) {
                ExceptionRecord entry;
                if (!in.bytes(entry.bytes, ExceptionRecord::kSize))
                    return Result::Truncated;
                entry.bytes[255] = 0;
                entry.bytes[511] = 0;
                reconcileException(entry);
                if (!doc_.exceptionList().Append(entry.bytes))
                    return Result::Truncated;
            }
            if (version >= 3) {
                uint32_t queue = 0;
                if (!in.uint32(queue))
                    return Result::Truncated;
                doc_.printerQueuePosition = queue;
            }
        }
    }
    if (const auto bad = findBadPageList(options, doc_.exceptionList())) {
        doc_.dialogs().messageBox("The job file was not opened. " + *bad, MessageIcon::Stop, MessageButtons::Ok);
        return Result::Refused;
    }
    return Result::Ok;
}

void JobFileReader::terminateTextFields(JobOptions& options)
{
    for (size_t i = 0; i < kFieldCount; ++i) {
        const FieldInfo& info = kJobFields[i];
        if (info.type == FieldType::Text)
            options.data()[info.offset + info.width - 1] = 0;
    }
}

void JobFileReader::reconcileException(ExceptionRecord& entry)
{
    const std::string name = entry.paperName();
    const int position = entry.paperPosition();
    const std::string atPosition = doc_.PaperNameAt(position);
    if (!atPosition.empty() && strcasecmp(name.c_str(), atPosition.c_str()) == 0)
        return;
    if (atPosition.empty()) {
        entry.setPaperPosition(1);
        doc_.missingPaper_ = true;
        return;
    }
    const int found = doc_.FindPaper(name);
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

std::string CSpxDoc::buildJobFileImage()
{
    std::string image = strings().ansi(flags_.signatureKind ? IdsSignatureA : IdsSignatureB);
    putUint16(image, kMarker);
    putUint16(image, kCurrentVersion);
    options_.setUint32At(fieldInfo(Field::paperCount).offset, uint32_t(PaperCount()));
    JobOptions stored = options_;
    stored.setNumber(Field::printerLanguage, get(Field::printerLanguage) + kPrinterLanguageOffsetInFile);
    image.append(reinterpret_cast<const char*>(stored.data()), kJobOptionsSize);
    for (int slot = 0; slot < kStoredPaperNames; ++slot)
        image += nameSlot(storedNameFor(slot));
    const int count = ExceptionCount();
    putUint16(image, uint16_t(count));
    if (count <= kMaxStoredExceptions) {
        for (int i = 1; i <= count; ++i) {
            ExceptionRecord entry;
            exceptionList_->Get(i, entry.bytes);
            const std::string catalogueName = PaperNameAt(entry.paperPosition());
            if (!catalogueName.empty())
                entry.setPaperName(catalogueName);
            image.append(reinterpret_cast<const char*>(entry.bytes), ExceptionRecord::kSize);
        }
        putUint32(image, printerQueuePosition);
    }
    return image;
}

bool CSpxDoc::cataloguePapersSavable()
{
    // Two papers of one name first (two unnamed papers count as that), then an unnamed paper.
    for (int i = 1; i <= PaperCount(); ++i)
        for (int j = i + 1; j <= PaperCount(); ++j)
            if (strcasecmp(PaperNameAt(i).c_str(), PaperNameAt(j).c_str()) == 0) {
                message(text(IdsDuplicatePaper), MessageIcon::Information);
                return false;
            }
    for (int i = 1; i <= PaperCount(); ++i)
        if (PaperNameAt(i).empty()) {
            message(text(IdsUnnamedPaper), MessageIcon::Information);
            return false;
        }
    if (ExceptionCount() > kMaxStoredExceptions) {
        message(text(IdsTooManyExceptionsToSave), MessageIcon::Stop);
        return false;
    }
    return true;
}

// The file a save replaces must be a regular file the user may write, or not exist yet. The
// check comes before anything is written: the rename only needs the folder's permission.
bool CSpxDoc::saveTargetWritable(const std::string& path, const std::string& target)
{
    switch (pathKind(target)) {
    case PathKind::Missing:
        return true;
    case PathKind::Other:
        message(path + "\n" + text(IdsNotARegularFile), MessageIcon::Stop);
        return false;
    case PathKind::Regular:
        break;
    }
    if (::access(target.c_str(), W_OK) == 0)
        return true;
    message(text(IdsWriteFailed) + "\n\n" + path, MessageIcon::Stop);
    return false;
}

bool CSpxDoc::OnSaveDocument(const std::string& path)
{
    // An update opened with OpenJobFileForUpdate ends with this save; otherwise the file is
    // locked for the write alone, so a concurrent update finishes first.
    std::unique_ptr<FileLock> lock = std::move(updateLock_);
    if (!cataloguePapersSavable())
        return false;
    // A symbolic link stays a link: the file it names is replaced, beside itself.
    const std::string target = resolveSaveTarget(path);
    if (!lock)
        lock = std::make_unique<FileLock>(target, FileLock::Mode::Exclusive);
    if (!saveTargetWritable(path, target))
        return false;
    if (!lock->locked()) {
        message(text(IdsWriteFailed) + "\n\n" + path, MessageIcon::Stop);
        return false;
    }
    // Written beside the target and renamed over it, so a failed save never loses the old file.
    const int error = writeFileAtomically(target, buildJobFileImage());
    if (error != 0) {
        if (error == ENOSPC || error == EDQUOT)
            message(text(IdsDiskFull), MessageIcon::Stop);
        else
            message(text(IdsWriteFailed) + "\n\n" + path, MessageIcon::Stop);
        return false;
    }
    diskStamp_ = FileStamp::of(target);
    SetModifiedFlag(false);
    return true;
}

// Before the job overwrites its own file: a file someone else saved since this job was opened
// or saved is only replaced when the operator says so.
bool CSpxDoc::confirmOverwriteIfChanged()
{
    const std::optional<FileStamp> now = FileStamp::of(pathName_);
    if (!diskStamp_ || !now || *now == *diskStamp_)
        return true;
    return dialogs_.messageBox(pathName_ + "\n" + text(IdsChangedOnDisk), MessageIcon::Question,
                               MessageButtons::YesNo)
           == MessageAnswer::Yes;
}

bool CSpxDoc::SaveModified()
{
    if (!IsModified())
        return true;
    switch (dialogs_.messageBox(text(IdsSaveChanges) + " " + title_ + " ?", MessageIcon::Question,
                                MessageButtons::YesNoCancel)) {
    case MessageAnswer::Yes:
    case MessageAnswer::Ok:
        return DoFileSave();
    case MessageAnswer::No:
        return true;
    case MessageAnswer::Cancel:
        return false;
    }
    return false;
}

bool CSpxDoc::DoFileSave()
{
    // A page that refuses its values stops the save, and with it a close or another open.
    if (!validatePages())
        return false;
    if (IsModified() || jobFileTitle_.empty()) {
        if (jobFileTitle_.empty()) {
            // Save As also returns true when the operator gave up on an invalid name or the
            // dialog could not be shown; nothing was saved then, and the caller (closing the
            // window, opening another job) must not take the job for saved.
            return SaveJobAs() && !jobFileTitle_.empty();
        }
        if (readOnly_) {
            message(pathName_ + "\n" + text(IdsReadOnlySave), MessageIcon::Exclamation);
            return false;
        }
        return confirmOverwriteIfChanged() && OnSaveDocument(pathName_);
    }
    if (readOnly_) {
        message(pathName_ + "\n" + text(IdsReadOnlySave), MessageIcon::Exclamation);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

FileDialogRequest CSpxDoc::jobFileDialog() const
{
    FileDialogRequest request;
    request.defaultExtension = text(IdsJobExtension);
    request.initialName = "*." + request.defaultExtension;
    request.filter = text(IdsJobFilter) + text(IdsJobFilterOpen) + request.defaultExtension + ")";
    return request;
}

void CSpxDoc::adoptPath(const std::string& path)
{
    pathName_ = path;
    jobFileTitle_ = path;
    title_ = path;
}

bool CSpxDoc::OnFileSaveAs()
{
    flags_.signatureKind = false;
    if (!validatePages())
        return false;
    return SaveJobAs();
}

bool CSpxDoc::SaveJobAs()
{
    FileDialogRequest request = jobFileDialog();
    request.overwritePrompt = true;
    for (;;) {
        const FileDialogResult chosen = dialogs_.saveFileName(request);
        if (chosen.kind == FileDialogResult::Kind::Cancelled)
            return false;
        if (chosen.kind == FileDialogResult::Kind::Failed) {
            message(text(IdsSaveDialogFailed), MessageIcon::Stop);
            return true;
        }
        const std::string& path = chosen.path;
        if (!IsValidJobPath(path)) {
            if (dialogs_.messageBox(fileNamePart(path) + text(IdsInvalidPath), MessageIcon::Exclamation,
                                    MessageButtons::OkCancel, text(IdsSaveJobCaption))
                == MessageAnswer::Cancel)
                return true;
            continue;
        }
        // The file is only probed here; the save itself goes through a temporary file.
        const std::string target = resolveSaveTarget(path);
        const PathKind kind = pathKind(target);
        if (kind == PathKind::Other) {
            message(path + "\n" + text(IdsNotARegularFile), MessageIcon::Stop);
            continue;
        }
        if (kind == PathKind::Regular ? ::access(target.c_str(), W_OK) != 0 : !probeDirectoryWritable(target)) {
            readOnly_ = true;
            message(path + "\n" + text(IdsReadOnlySave), MessageIcon::Exclamation);
            continue;
        }
        readOnly_ = false;
        if (!OnSaveDocument(path))
            return false;
        adoptPath(path);
        return true;
    }
}

bool CSpxDoc::probeDirectoryWritable(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// --- Open --------------------------------------------------------------------------------------

void CSpxDoc::OnFileOpen()
{
    const ScopedFlag loading(flags_.loading);
    // A job the operator kept (Cancel to the save question, a save that failed, a page that
    // refused its values) keeps its modified flag, so its changes are still asked for on closing.
    if (SaveModified() && validatePages()) {
        OpenJob();
        SetModifiedFlag(false);
    }
}

bool CSpxDoc::OpenJob()
{
    FileDialogRequest request = jobFileDialog();
    request.mustExist = true;
    for (;;) {
        const FileDialogResult chosen = dialogs_.openFileName(request);
        if (chosen.kind == FileDialogResult::Kind::Cancelled)
            return false;
        if (chosen.kind == FileDialogResult::Kind::Failed) {
            message(text(IdsOpenDialogFailed), MessageIcon::Stop);
            return true;
        }
        switch (OpenJobFile(chosen.path)) {
        case 1:
            continue;
        case 2:
            return true;
        default:
            return false;
        }
    }
}

int CSpxDoc::OpenJobFile(const std::string& path)
{
    // Only a regular file the user may write is opened for saving under its name; anything else
    // is asked about first (a FIFO or a device is then refused by the load, never opened).
    if (pathKind(path) != PathKind::Regular || ::access(path.c_str(), W_OK) != 0) {
        readOnly_ = true;
        if (dialogs_.messageBox(path + "\n" + text(IdsReadOnlyOpen), MessageIcon::Question, MessageButtons::YesNo)
            == MessageAnswer::No)
            return 1;
    } else {
        readOnly_ = false;
    }
    if (!OnOpenDocument(path))
        return 0;
    flags_.openedByName = false;
    adoptPath(path);
    refreshViews();
    return 2;
}

int CSpxDoc::OpenJobFileForUpdate(const std::string& path)
{
    auto lock = std::make_unique<FileLock>(path, FileLock::Mode::Exclusive);
    if (lock->notRegular()) {
        showInvalidFile();
        return 0;
    }
    if (!lock->locked()) {
        message(text(IdsJobFileUnreadable) + "\n" + path + "\n" + std::strerror(lock->error()), MessageIcon::Stop);
        return 0;
    }
    const int result = OpenJobFile(path);
    if (result == 2)
        updateLock_ = std::move(lock);
    return result;
}

} // namespace spx
