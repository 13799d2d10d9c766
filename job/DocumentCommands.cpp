// The document's File commands: New, Open, Save and Save As, with the questions they ask and the
// file system checks around them. The job file's bytes are the format module's (JobFileFormat),
// what a loaded file means is JobFile.cpp's.

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "FileLock.h"
#include "JobFileAccess.h"
#include "JobFileFormat.h"
#include "Profile.h"
#include "SpxDoc.h"

namespace spx {

namespace {
// Largest job file the reader takes in: every block of version 5 with 512 exceptions, after a
// signature of up to 64 bytes.
constexpr size_t kMaxJobFileSize = 64 + 4 + kJobOptionsSize + JobFileValue::kPaperNameSlots * JobFileValue::kPaperNameSize
                                   + 2 + JobFileValue::kMaxExceptions * ExceptionRecord::kSize + 4;

std::string fileNamePart(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

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
        const std::string& problem = paperCatalogueProblem_;
        message(text(IdsSetupFailed) + text(IdsPaperDefinitionsFile) + text(IdsSetupFailedEnd)
                    + (problem.empty() ? "" : "\n" + problem),
                MessageIcon::Stop);
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

void CSpxDoc::showInvalidFile(const std::string& detail)
{
    message(text(IdsInvalidFileStart) + text(IdsInvalidFile2) + text(IdsInvalidFileEnd) + detail, MessageIcon::Stop);
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
    if (loadJobFile(path)) {
        if (onJobFileNamed)
            onJobFileNamed(path);
        return true;
    }
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
    pathName_ = path;
    jobFileTitle_ = fileNamePart(path);
    title_ = jobFileTitle_;
    if (!ResetJobOptions())
        return false;
    JobFileImage image;
    JobFileValue value;
    if (!readJobFile(path, image, value) || !applyOrKeepTheJob(value))
        return false;

    CheckPrinterModel();
    options_.setNumber(Field::activePage, flags_.openedByName ? 2 : activePage);
    if (value.version <= 3)
        UpgradeFromVersion3();
    if (value.version <= 4) {
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

// The file's bytes parsed onto the defaults; nothing of the job changes here.
bool CSpxDoc::readJobFile(const std::string& path, JobFileImage& image, JobFileValue& value)
{
    const JobFileRead outcome = readJobFileImage(path, kMaxJobFileSize, image);
    if (outcome != JobFileRead::Ok) {
        showUnreadable(outcome, image.error, path);
        return false;
    }
    value.record = options_;
    const JobFileParseResult parsed = parseJobFile(image.bytes, jobFileSignatures(), value);
    if (!parsed) {
        showInvalidFile("\n\n" + parsed.reason + " (offset " + std::to_string(parsed.offset) + ")");
        return false;
    }
    return true;
}

// A value the document does not take whole (no memory for its exceptions, a page list that is
// not one) leaves the job at its defaults with the exceptions it had; applyJobFile said why.
bool CSpxDoc::applyOrKeepTheJob(const JobFileValue& value)
{
    std::unique_ptr<RecordArray> exceptionCopy(exceptionList_->Clone());
    if (!exceptionCopy) {
        exceptionList_->pool().ReportMemoryError(dialogs_);
        return false;
    }
    const JobOptions defaults = options_;
    if (applyJobFile(value))
        return true;
    exceptionList_->CopyFrom(*exceptionCopy);
    options_ = defaults;
    return false;
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
    const int error = writeFileAtomically(target, writeJobFile(jobFileValue(), jobFileSignatures()));
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
        if (onJobFileNamed)
            onJobFileNamed(path);
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

bool CSpxDoc::OpenRecentJob(const std::string& path)
{
    // As the Open command, with the file chosen from the File menu instead of the dialog.
    const ScopedFlag loading(flags_.loading);
    bool opened = false;
    if (SaveModified() && validatePages()) {
        opened = OpenJobFile(path) == 2;
        SetModifiedFlag(false);
    }
    return opened;
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
