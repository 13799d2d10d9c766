#pragma once
// CSpxDoc: the one job document. It owns the job options record, the paper catalogue list, the
// paper exception list and the identity of the open job file. Every option has a getter and a
// setter; a setter marks the job modified only when the value changes and the loading flag is
// clear. No toolkit here: the window reaches the document through IDocumentViews and shows its
// questions through IDialogs.

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Configuration.h"
#include "Dialogs.h"
#include "JobOptions.h"
#include "MemoryPool.h"
#include "FileLock.h"
#include "JobFileAccess.h"
#include "JobFileFormat.h"
#include "PaperRecord.h"
#include "SharedStringIds.h"

namespace spx {

// What the document asks of the window that shows it (nothing when there is none).
class IDocumentViews {
public:
    virtual ~IDocumentViews() = default;
    // Every option page validates and stores its controls; false when one refuses.
    virtual bool validateAndStorePages() { return true; }
    // After New or Open: the main view refreshes, the printer page applies the printer language,
    // the page that is showing reloads from the document.
    virtual void showLoadedValues() {}
    // Closing: the printer page releases its printer data.
    virtual void releasePrinterData() {}
    // The modified flag changed (the window marks its title).
    virtual void modifiedChanged(bool modified) { (void)modified; }
    // Entries of the printer model drop-down.
    virtual int printerLanguageCount() const { return 2; }
};

// The flags the document shares with the window: the document owns them, the window reaches
// them through its context.
struct ProcessFlags {
    bool loading = false;         // a job file is being chosen and read: setters do not mark modified
    bool jobChanged = false;      // copy of the modified flag for the main view
    bool signatureKind = false;   // which of the two job-file signatures Save writes
    bool jobFileLoaded = false;
    bool openedByName = false;    // the job file was named on the command line or dropped
};

// Sets a flag for the length of a scope and gives it back its earlier value afterwards, so a
// nested call does not clear the flag of the call around it.
class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag) : flag_(flag), before_(flag) { flag_ = true; }
    ~ScopedFlag() { flag_ = before_; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    bool& flag_;
    bool before_;
};

// String ids the document uses.
enum DocStringId {
    IdsInvalidFile2 = 2, IdsInvalidFileStart = 103, IdsInvalidFileEnd = 1163,
    IdsSignatureA = 1087, IdsSignatureB = 1088, IdsJobFilter = 161, IdsJobFilterOpen = 449,
    IdsUntitled = 207, IdsOldVersion3 = 57627, IdsOldVersion4 = 57688, IdsUnknownPrinterModel = 61226,
    IdsSaveJobCaption = 61235, IdsSaveChanges = 412, IdsInvalidPath = 441, IdsSaveDialogFailed = 442,
    IdsOpenDialogFailed = 445, IdsReadOnlySave = 450, IdsReadOnlyOpen = 451, IdsReadOnlyLoad = 452,
    IdsWriteFailed = 1037, IdsDiskFull = 1039, IdsDuplicatePaper = 112, IdsUnnamedPaper = 195,
    IdsPapersReplaced = 408, IdsPapersReplacedEnd = 409, IdsSetupFailed = 181, IdsSetupFailedEnd = 187,
    IdsPaperFileMissing = 425, IdsAccessSection = 1157, IdsPasswordKey = 1159,
    IdsJobFileMissing = 1610, IdsJobFileUnreadable = 1611, IdsNotARegularFile = 1612,
    IdsTooManyExceptions = 1613, IdsTooManyExceptionsToSave = 1614, IdsChangedOnDisk = 1615,
};

class CSpxDoc {
public:
    static constexpr int kMaxStoredExceptions = 512;
    static constexpr int kStoredPaperNames = 6;

    CSpxDoc(const Configuration& config, IDialogs& dialogs);
    ~CSpxDoc();
    CSpxDoc(const CSpxDoc&) = delete;
    CSpxDoc& operator=(const CSpxDoc&) = delete;

    void setViews(IDocumentViews* views) { views_ = views; }
    const Configuration& config() const { return config_; }
    const StringTable& strings() const { return config_.strings; }
    IDialogs& dialogs() { return dialogs_; }
    ProcessFlags& flags() { return flags_; }
    const ProcessFlags& flags() const { return flags_; }

    // --- the options record ---------------------------------------------------------------
    JobOptions& options() { return options_; }
    const JobOptions& options() const { return options_; }
    JobOptions& scratch() { return scratch_; }   // the view's saved copy around page activation

    int get(Field f) const { return options_.number(f); }
    std::string getText(Field f) const { return options_.text(f); }
    // The setter rule: equal value -> nothing; otherwise mark modified (unless loading), store.
    // Returns whether the value changed. Texts are cut to the field's width (and to 260 first
    // for the fields that say so).
    bool set(Field f, int64_t value);
    bool setText(Field f, std::string_view value);

#define SPX_NUMBER_OPTION(Name, field) \
    int Get##Name() const { return get(Field::field); } \
    bool Set##Name(int64_t value) { return set(Field::field, value); }
#define SPX_TEXT_OPTION(Name, field) \
    std::string Get##Name() const { return getText(Field::field); } \
    bool Set##Name(std::string_view value) { return setText(Field::field, value); }
    SPX_NUMBER_OPTION(SettingsMode, settingsMode)
    SPX_NUMBER_OPTION(DestinationPrint, destinationPrint)
    SPX_NUMBER_OPTION(DestinationFile, destinationFile)
    SPX_TEXT_OPTION(DestinationFileName, destinationFileName)
    SPX_NUMBER_OPTION(DestinationPrintNamed, destinationPrintNamed)
    SPX_TEXT_OPTION(DestinationPrintName, destinationPrintName)
    SPX_NUMBER_OPTION(PrinterLanguage, printerLanguage)
    SPX_NUMBER_OPTION(FileLanguage, fileLanguage)
    SPX_TEXT_OPTION(JobText1040, jobText1040)
    SPX_TEXT_OPTION(JobText1041, jobText1041)
    SPX_TEXT_OPTION(JobText1074, jobText1074)
    SPX_TEXT_OPTION(EmailAddress, emailAddress)
    SPX_NUMBER_OPTION(Copies, copies)
    SPX_NUMBER_OPTION(PlexMode, plexMode)
    SPX_NUMBER_OPTION(Collate, collate)
    SPX_NUMBER_OPTION(FinishChaptersSeparately, finishChaptersSeparately)
    SPX_NUMBER_OPTION(TrimEdges, trimEdges)
    SPX_NUMBER_OPTION(NotPamphlet, notPamphlet)
    SPX_NUMBER_OPTION(PamphletPages, pamphletPages)
    SPX_NUMBER_OPTION(OutputExit, outputExit)
    SPX_NUMBER_OPTION(MismatchHandling, mismatchHandling)
    SPX_NUMBER_OPTION(FreeformColor, freeformColor)
    SPX_NUMBER_OPTION(StackMode, stackMode)
    SPX_NUMBER_OPTION(StapleMode, stapleMode)
    SPX_NUMBER_OPTION(FoldMode, foldMode)
    SPX_NUMBER_OPTION(FrontCover, frontCover)
    SPX_NUMBER_OPTION(FrontCoverPaper, frontCoverPaper)
    SPX_NUMBER_OPTION(BackCover, backCover)
    SPX_NUMBER_OPTION(BackCoverPaper, backCoverPaper)
    SPX_NUMBER_OPTION(ProofSet, proofSet)
    SPX_NUMBER_OPTION(ProofSetMinutes, proofSetMinutes)
    SPX_NUMBER_OPTION(ProofSetAction, proofSetAction)
    SPX_NUMBER_OPTION(PrintRange, printRange)
    SPX_NUMBER_OPTION(PageRangeActive, pageRangeActive)
    SPX_NUMBER_OPTION(FromPage, fromPage)
    SPX_NUMBER_OPTION(ToPage, toPage)
    SPX_NUMBER_OPTION(HeaderPage, headerPage)
    SPX_NUMBER_OPTION(HeaderPaper, headerPaper)
    SPX_NUMBER_OPTION(Separators, separators)
    SPX_NUMBER_OPTION(SeparatorPaper, separatorPaper)
    SPX_NUMBER_OPTION(StatusMode, statusMode)
    SPX_NUMBER_OPTION(StatusPaper, statusPaper)
    SPX_TEXT_OPTION(ChapterPages, chapterPages)
    SPX_TEXT_OPTION(CustomIncludeFile, customIncludeFile)
    SPX_TEXT_OPTION(CustomText, customText)
    SPX_NUMBER_OPTION(CustomOption, customOption)
#undef SPX_NUMBER_OPTION
#undef SPX_TEXT_OPTION

    int GetColorMap(int slot) const { return get(colorMapField(slot)); }
    bool SetColorMap(int slot, int64_t value) { return set(colorMapField(slot), value); }
    int GetPaperIndex() const { return get(Field::paperIndex); }
    std::string GetPaperName() const { return getText(Field::paperName); }
    std::string GetCatalogueSelName() const { return getText(Field::catalogueSelName); }
    int GetCatalogueSelSize() const { return get(Field::catalogueSelSize); }
    std::string GetCatalogueSelAttr(int which) const;   // 1..3
    int GetActivePage() const { return get(Field::activePage); }
    void SetActivePage(int page) { options_.setNumber(Field::activePage, page); }   // never marks modified
    int GetFreeformColorAtLoad() const { return freeformColorAtLoad_; }
    void SetFreeformColorAtLoad(int value) { freeformColorAtLoad_ = value; }

    // The job paper: position >= 2 in the paper catalogue list; mirrored into entry 1.
    void SetPaperIndex(int position);
    void CopyPaperIntoEntry1(int position);
    bool ResetJobOptions();
    bool ResetForPrinterChange();

    // --- the paper catalogue list and the value lists -----------------------------------
    RecordArray& paperList() { return *paperList_; }
    const RecordArray& paperList() const { return *paperList_; }
    int PaperCount() const { return paperList_->Count(); }
    std::string PaperNameAt(int position) const;      // empty outside 1..count
    int FindPaper(const std::string& name) const;     // first position whose name matches ignoring case, 0 if none
    bool paperCatalogueLoaded() const { return paperCatalogueLoaded_; }
    void setPaperCatalogueLoaded(bool loaded) { paperCatalogueLoaded_ = loaded; }
    // Why the paper catalogue was refused at its last reading (empty: no more to say).
    const std::string& paperCatalogueProblem() const { return paperCatalogueProblem_; }
    void setPaperCatalogueProblem(std::string problem) { paperCatalogueProblem_ = std::move(problem); }
    // nameList1..5: value lists 0..3 of the paper catalogue and the single-sided flag list.
    std::array<std::vector<std::string>, 5>& nameLists() { return nameLists_; }
    const std::array<std::vector<std::string>, 5>& nameLists() const { return nameLists_; }
    void CopyNameList(int which, std::vector<std::string>& out) const;   // which 1..5

    // --- the paper exception list ------------------------------------------------------
    RecordArray& exceptionList() { return *exceptionList_; }
    const RecordArray& exceptionList() const { return *exceptionList_; }
    int ExceptionCount() const { return exceptionList_->Count(); }
    std::optional<ExceptionRecord> GetException(int position) const;
    // Appends (position 0 or beyond the end) or inserts; the name is taken from the catalogue.
    bool AddException(const std::string& pageList, int paperPosition, int kind, int position = 0);
    bool DeleteException(int position);
    bool SwapExceptionWithNeighbour(int position, int direction);   // direction -1 up, +1 down
    bool SetExceptionPaper(int position, int paperPosition);
    bool SetExceptionKind(int position, int kind);
    bool SetExceptionPageList(int position, const std::string& pageList);
    bool pendingExceptionEdit = false;   // the exceptions page has an unfinished edit

    // --- modified flag and the document protocol ----------------------------------------
    bool IsModified() const { return modified_; }
    void SetModifiedFlag(bool modified = true);
    void DeleteContents();
    bool OnNewDocument();
    bool OnOpenDocument(const std::string& path);
    bool OnSaveDocument(const std::string& path);
    void OnCloseDocument();
    bool SaveModified();
    bool DoFileSave();
    bool OnFileSaveAs();   // the Save As command: clears the signature kind, pages store, SaveJobAs
    bool SaveJobAs();
    void OnFileOpen();     // the Open command
    bool OpenRecentJob(const std::string& path);   // a recent file of the File menu; true when opened
    bool OpenJob();
    int OpenJobFile(const std::string& path);   // 0 failed, 1 choose another, 2 opened
    // OpenJobFile for a read-modify-write: the file stays locked against other updates until the
    // next save (or the document goes), so two updates never lose each other's changes.
    int OpenJobFileForUpdate(const std::string& path);

    // --- identity of the job file ------------------------------------------------------
    const std::string& title() const { return title_; }
    const std::string& pathName() const { return pathName_; }
    const std::string& jobFileTitle() const { return jobFileTitle_; }
    bool readOnly() const { return readOnly_; }
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
    void setTitle(const std::string& title) { title_ = title; }

    uint32_t printerQueuePosition = 0;                            // 0-based queue of the printer page
    std::array<std::string, kStoredPaperNames> storedPaperNames;  // as read from the last job file
    bool missingPaperFlag() const { return missingPaper_; }

    // Told the path of every job file opened, and of every job saved under a new name.
    std::function<void(const std::string&)> onJobFileNamed;

    std::string accessPassword;
    int32_t accessGranted = 0;

private:
    std::string text(int id) const { return strings().text(id); }
    void message(const std::string& text, MessageIcon icon) { dialogs_.messageBox(text, icon, MessageButtons::Ok); }
    void showInvalidFile(const std::string& detail = {});
    void showUnreadable(JobFileRead outcome, int error, const std::string& path);
    bool loadJobFile(const std::string& path);
    bool readJobFile(const std::string& path, JobFileImage& image, JobFileValue& value);
    bool applyOrKeepTheJob(const JobFileValue& value);
    bool applyJobFile(const JobFileValue& value);
    void reconcileException(ExceptionRecord& entry);
    JobFileSignatures jobFileSignatures() const;
    JobFileValue jobFileValue();
    bool probeOpenedByName(const std::string& path);
    bool cataloguePapersSavable();
    bool saveTargetWritable(const std::string& path, const std::string& target);
    bool confirmOverwriteIfChanged();
    void refreshViews() { if (views_) views_->showLoadedValues(); }
    bool validatePages() { return views_ ? views_->validateAndStorePages() : true; }
    bool loadCatalogueIfNeeded();
    void ResolvePaperName();
    void UpgradeFromVersion3();
    void CheckPrinterModel();
    void ReconcilePapers();
    bool MatchPaper(Field field, const std::string& storedName, bool holdsPosition);
    std::string storedNameFor(int slot) const;
    static bool probeDirectoryWritable(const std::string& path);
    // Applies `change` to one exception; stores it and marks the job modified when it changed.
    bool changeException(int position, const std::function<bool(ExceptionRecord&)>& change);
    FileDialogRequest jobFileDialog() const;
    void adoptPath(const std::string& path);

    const Configuration& config_;
    IDialogs& dialogs_;
    IDocumentViews* views_ = nullptr;
    JobOptions options_;
    JobOptions scratch_;
    std::unique_ptr<RecordArray> paperList_;
    std::unique_ptr<RecordArray> exceptionList_;
    std::array<std::vector<std::string>, 5> nameLists_;
    bool modified_ = false;
    ProcessFlags flags_;
    bool paperCatalogueLoaded_ = false;
    bool readOnly_ = false;
    bool missingPaper_ = false;
    int freeformColorAtLoad_ = 1;
    std::string title_, pathName_, jobFileTitle_;
    std::string paperCatalogueProblem_;
    std::optional<FileStamp> diskStamp_;      // the version of the job file last read or written
    std::unique_ptr<FileLock> updateLock_;    // held from OpenJobFileForUpdate to the next save
};

// Valid job file path: no tab * + , ; < > ? |, ':' only as the second character, no name
// component longer than 260 characters ('/', '\\', '.' and that ':' separate components).
bool IsValidJobPath(const std::string& path);

} // namespace spx
