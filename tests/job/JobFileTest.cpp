// Job files: golden files of every version, round trips, hostile files and failed saves.

#include <cerrno>
#include <filesystem>

#include "JobFileFormat.h"
#include "Profile.h"
#include "JobTestSupport.h"

namespace spx::test {
namespace {

using JobFileTest = JobTest;

bool shownText(const ScriptedDialogs& dialogs, const std::string& part)
{
    for (const auto& shown : dialogs.shown)
        if (shown.text.find(part) != std::string::npos)
            return true;
    return false;
}

TEST_F(JobFileTest, Version5LoadsFieldByField)
{
    CSpxDoc& d = newDocument();
    ASSERT_TRUE(d.OnOpenDocument(golden("v5.spx")));
    EXPECT_EQ(d.getText(Field::auxText), "Account 4711");
    EXPECT_EQ(d.GetPrinterLanguage(), 1);
    EXPECT_EQ(d.GetFileLanguage(), 1);
    EXPECT_EQ(d.GetCopies(), 3);
    EXPECT_EQ(d.GetPlexMode(), 1);
    EXPECT_EQ(d.GetPaperIndex(), 3);
    EXPECT_EQ(d.GetPaperName(), "A4 Recycled 80");
    EXPECT_EQ(d.GetMismatchHandling(), 2);
    EXPECT_EQ(d.GetStatusPaper(), 1);
    EXPECT_EQ(d.GetChapterPages(), "1,5,9");
    EXPECT_EQ(d.GetOutputExit(), 2);
    EXPECT_EQ(d.GetStapleMode(), 3);
    EXPECT_EQ(d.GetFrontCover(), 3);
    EXPECT_EQ(d.GetFrontCoverPaper(), 7);
    EXPECT_EQ(d.GetJobText1040(), "Quarterly report");
    EXPECT_EQ(d.GetCustomText(), "%%Custom: hello");
    EXPECT_EQ(d.GetColorMap(0), 2);
    EXPECT_EQ(d.GetColorMap(7), 1);
    EXPECT_EQ(d.GetTrimEdges(), 1);
    EXPECT_EQ(d.GetEmailAddress(), "ops@example.org");
    ASSERT_EQ(d.ExceptionCount(), 2);
    EXPECT_EQ(d.GetException(2)->pageList(), "5,^9,last");
    EXPECT_EQ(d.GetException(2)->paperPosition(), 10);
    EXPECT_EQ(d.GetException(1)->kind(), 1);
    EXPECT_EQ(d.printerQueuePosition, 2u);
    EXPECT_FALSE(d.IsModified());
    EXPECT_FALSE(d.flags().signatureKind);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(JobFileTest, SavingALoadedVersion5FileGivesTheSameBytes)
{
    CSpxDoc& d = newDocument();
    ASSERT_TRUE(d.OnOpenDocument(golden("v5.spx")));
    ASSERT_TRUE(d.OnSaveDocument(path("again.spx")));
    EXPECT_EQ(readFile(path("again.spx")), readFile(golden("v5.spx")));
}

TEST_F(JobFileTest, OlderVersionsAreUpgraded)
{
    CSpxDoc& d = newDocument();
    ASSERT_TRUE(d.OnOpenDocument(golden("v4.spx")));
    EXPECT_TRUE(shownText(dialogs, config.strings.text(IdsOldVersion4)));
    EXPECT_EQ(d.GetCopies(), 4);
    EXPECT_EQ(d.get(Field::legacyCopies), 0);
    EXPECT_EQ(d.GetEmailAddress(), "keep@example.org");
    EXPECT_EQ(d.GetTrimEdges(), 1);
    EXPECT_EQ(d.GetPrinterLanguage(), 0);
    EXPECT_TRUE(d.flags().signatureKind);

    ASSERT_TRUE(d.OnOpenDocument(golden("v3.spx")));
    EXPECT_TRUE(shownText(dialogs, config.strings.text(IdsOldVersion3)));
    EXPECT_EQ(d.GetOutputExit(), 6);
    EXPECT_EQ(d.GetFrontCover(), 3);
    EXPECT_EQ(d.GetBackCover(), 4);
    EXPECT_EQ(d.GetEmailAddress(), "");
    EXPECT_EQ(d.get(Field::emailAddressFlag), 1);
    EXPECT_EQ(d.GetPrinterLanguage(), 1);
    EXPECT_EQ(d.GetCopies(), 2);
    EXPECT_EQ(d.printerQueuePosition, 5u);
    EXPECT_EQ(d.ExceptionCount(), 0);
}

TEST_F(JobFileTest, TheVersion3UpgradeStopsAtAChoiceItCannotMap)
{
    const std::string v3 = readFile(golden("v3.spx"));
    const size_t record = config.strings.text(IdsSignatureA).size() + 4;
    auto withNumber = [&](Field field, int16_t value) {
        std::string bytes = v3;
        const size_t at = record + fieldInfo(field).offset;
        bytes[at] = char(value & 0xFF);
        bytes[at + 1] = char(value >> 8);
        return bytes;
    };
    CSpxDoc& d = newDocument();
    // An exit the upgrade cannot map: the exit and both covers stay as stored, the e-mail flag
    // is not set.
    writeFile(path("exit.spx"), withNumber(Field::outputExit, 9));
    ASSERT_TRUE(d.OnOpenDocument(path("exit.spx")));
    EXPECT_EQ(d.GetOutputExit(), 9);
    EXPECT_EQ(d.GetFrontCover(), 1);
    EXPECT_EQ(d.GetBackCover(), 2);
    EXPECT_EQ(d.get(Field::emailAddressFlag), 0);
    EXPECT_EQ(d.GetPrinterLanguage(), 1);   // the steps before the maps are done
    // A front cover it cannot map: the exit is mapped, the back cover is not.
    writeFile(path("cover.spx"), withNumber(Field::frontCover, 7));
    ASSERT_TRUE(d.OnOpenDocument(path("cover.spx")));
    EXPECT_EQ(d.GetOutputExit(), 6);
    EXPECT_EQ(d.GetFrontCover(), 7);
    EXPECT_EQ(d.GetBackCover(), 2);
    EXPECT_EQ(d.get(Field::emailAddressFlag), 0);
}

TEST_F(JobFileTest, ALoadKeepsTheActivePageOrShowsTheJobSetupWhenOpenedByName)
{
    CSpxDoc& d = newDocument();
    d.SetActivePage(5);
    ASSERT_TRUE(d.OnOpenDocument(golden("v5.spx")));   // the file stores page 1
    EXPECT_EQ(d.GetActivePage(), 5);
    ASSERT_TRUE(d.OnOpenDocument(golden("v3.spx")));
    EXPECT_EQ(d.GetActivePage(), 5);
    d.flags().openedByName = true;
    ASSERT_TRUE(d.OnOpenDocument(golden("v5.spx")));
    EXPECT_EQ(d.GetActivePage(), 2);
}

TEST_F(JobFileTest, Version1KeepsTheExceptionsTheDocumentHad)
{
    CSpxDoc& d = newDocument();
    d.AddException("2-4", 5, 1);
    ASSERT_TRUE(d.OnOpenDocument(golden("v1.spx")));
    ASSERT_EQ(d.ExceptionCount(), 1);
    EXPECT_EQ(d.GetException(1)->pageList(), "2-4");
    EXPECT_EQ(d.GetCopies(), 7);
    EXPECT_EQ(d.GetPrinterLanguage(), 1);

    ASSERT_TRUE(d.OnOpenDocument(golden("v2.spx")));
    ASSERT_EQ(d.ExceptionCount(), 1);
    EXPECT_EQ(d.GetException(1)->pageList(), "5,^9,last");
    EXPECT_EQ(d.GetPaperName(), "A4 Yellow 80");
}

TEST_F(JobFileTest, Version1IsNotMatchedAgainstThePapersOfTheJobBeforeIt)
{
    // A job whose paper exception names no paper (the missing-paper warning), then a version 1 file:
    // that file stores no paper names and keeps its own papers, without a warning.
    std::string bytes = readFile(golden("v5.spx"));
    const size_t firstException = config.strings.text(IdsSignatureA).size() + 4 + kJobOptionsSize + 1536 + 2;
    bytes[firstException + 512] = char(0x7F);
    writeFile(path("missing.spx"), bytes);
    CSpxDoc& d = newDocument();
    ASSERT_TRUE(d.OnOpenDocument(path("missing.spx")));
    ASSERT_TRUE(d.missingPaperFlag());

    dialogs.shown.clear();
    ASSERT_TRUE(d.OnOpenDocument(golden("v1.spx")));
    EXPECT_EQ(d.GetPaperIndex(), 2);
    EXPECT_EQ(d.GetPaperName(), "A4 Plain 80");
    EXPECT_EQ(d.GetFrontCoverPaper(), 0);
    EXPECT_EQ(d.GetStatusPaper(), 0);
    EXPECT_FALSE(d.missingPaperFlag());
    EXPECT_FALSE(d.IsModified());
    EXPECT_FALSE(shownText(dialogs, config.strings.text(IdsPapersReplaced)));
}

TEST_F(JobFileTest, RoundTripKeepsEveryByteOfTheRecord)
{
    CSpxDoc& d = newDocument();
    d.SetPrinterLanguage(1);
    d.SetCopies(250);
    d.SetFromPage(70000);
    d.SetJobText1074("Ünïcödé → €");
    d.options().data()[RecordOffset::unassignedBlock] = 0xEE;
    d.AddException("last", 11, 3);
    d.printerQueuePosition = 4;
    JobOptions before = d.options();
    ASSERT_TRUE(d.OnSaveDocument(path("job.spx")));
    before.setUint32At(fieldInfo(Field::paperCount).offset, 19);

    CSpxDoc& again = newDocument();
    ASSERT_TRUE(again.OnOpenDocument(path("job.spx")));
    EXPECT_TRUE(again.options() == before);
    EXPECT_EQ(again.GetException(1)->paperName(), "A4 Gloss 170");
    EXPECT_EQ(again.printerQueuePosition, 4u);
    // printerLanguage travels with 6 added.
    const std::string bytes = readFile(path("job.spx"));
    const size_t at = config.strings.text(IdsSignatureA).size() + 4 + fieldInfo(Field::printerLanguage).offset;
    EXPECT_EQ(bytes[at], 7);
}

TEST_F(JobFileTest, EveryTruncationIsRefusedAndLeavesAUsableJob)
{
    const std::string good = readFile(golden("v5.spx"));
    CSpxDoc& d = newDocument();
    d.AddException("9", 3, 1);
    JobOptions defaults = d.options();
    for (size_t length = 0; length < good.size(); ++length) {
        writeFile(path("cut.spx"), good.substr(0, length));
        dialogs.shown.clear();
        ASSERT_FALSE(d.OnOpenDocument(path("cut.spx"))) << length;
        ASSERT_TRUE(shownText(dialogs, config.strings.text(IdsInvalidFile2))) << length;
        ASSERT_TRUE(d.options() == defaults) << length;
        ASSERT_EQ(d.ExceptionCount(), 1) << length;
    }
    ASSERT_TRUE(d.OnOpenDocument(golden("v5.spx")));
}

TEST_F(JobFileTest, ForeignOrDamagedHeadersAreRefusedAndTheJobTakesNoName)
{
    const std::string good = readFile(golden("v5.spx"));
    const size_t s = config.strings.text(IdsSignatureA).size();
    auto variant = [&](size_t offset, std::string bytes) {
        std::string v = good;
        v.replace(offset, bytes.size(), bytes);
        return v;
    };
    CSpxDoc& d = newDocument();
    for (const std::string& bad : {variant(0, "X"), variant(s, std::string("\x1b\0", 2)),
                                   variant(s + 2, std::string("\0\0", 2)), variant(s + 2, std::string("\x06\0", 2)),
                                   std::string("%PDF-1.4\n%\xE2\xE3\n1 0 obj\n") + std::string(20000, 'x')}) {
        writeFile(path("bad.spx"), bad);
        dialogs.shown.clear();
        EXPECT_FALSE(d.OnOpenDocument(path("bad.spx")));
        EXPECT_TRUE(shownText(dialogs, config.strings.text(IdsInvalidFileStart)));
        EXPECT_EQ(d.title(), config.strings.text(IdsUntitled));
        EXPECT_EQ(d.pathName(), "");
        EXPECT_FALSE(d.IsModified());
        EXPECT_EQ(d.GetCopies(), 1);
        // Save asks for a name instead of writing over the file that failed to load.
        d.SetCopies(5);
        const size_t asked = dialogs.fileRequests.size();
        dialogs.setNextFileDialogCancelled();
        EXPECT_FALSE(d.DoFileSave());
        EXPECT_EQ(dialogs.fileRequests.size(), asked + 1);
        EXPECT_EQ(readFile(path("bad.spx")), bad);
    }
}

TEST_F(JobFileTest, AMissingFileIsNotCalledDamaged)
{
    CSpxDoc& d = newDocument();
    EXPECT_FALSE(d.OnOpenDocument(path("nowhere.spx")));
    EXPECT_TRUE(shownText(dialogs, config.strings.text(IdsJobFileMissing)));
    EXPECT_FALSE(shownText(dialogs, config.strings.text(IdsInvalidFileEnd)));
    EXPECT_EQ(d.title(), config.strings.text(IdsUntitled));
}

TEST_F(JobFileTest, MoreThan512ExceptionsAreRefusedWhenAddedAndWhenSaved)
{
    CSpxDoc& d = newDocument();
    for (int i = 0; i < 512; ++i)
        ASSERT_TRUE(d.AddException(std::to_string(i + 1), 2, 1));
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(d.AddException("513", 2, 1));
    EXPECT_EQ(d.ExceptionCount(), 512);
    EXPECT_TRUE(shownText(dialogs, config.strings.text(IdsTooManyExceptions)));
    ASSERT_TRUE(d.OnSaveDocument(path("full.spx")));
    CSpxDoc& full = newDocument();
    ASSERT_TRUE(full.OnOpenDocument(path("full.spx")));
    EXPECT_EQ(full.ExceptionCount(), 512);

    // A list that grew past the limit by other means is not saved without its entries.
    ExceptionRecord extra;
    extra.setPageList("513");
    extra.setPaperPosition(2);
    ASSERT_TRUE(full.exceptionList().Append(extra.bytes));
    full.SetModifiedFlag(true);
    dialogs.shown.clear();
    EXPECT_FALSE(full.OnSaveDocument(path("many.spx")));
    EXPECT_TRUE(shownText(dialogs, config.strings.text(IdsTooManyExceptionsToSave)));
    EXPECT_FALSE(std::filesystem::exists(path("many.spx")));
    EXPECT_TRUE(full.IsModified());

    // A file that says it holds more than 512 ends after the count, and loads without entries.
    const size_t s = config.strings.text(IdsSignatureA).size();
    std::string bytes = readFile(golden("v5.spx")).substr(0, s + 8782);
    bytes[s + 8780] = char(0x01);
    bytes[s + 8781] = char(0x02);   // 513
    writeFile(path("over.spx"), bytes);
    CSpxDoc& again = newDocument();
    ASSERT_TRUE(again.OnOpenDocument(path("over.spx")));
    EXPECT_EQ(again.ExceptionCount(), 0);
}

TEST_F(JobFileTest, UnterminatedTextsAndWildPositionsAreContained)
{
    std::string bytes = readFile(golden("v5.spx"));
    const size_t record = config.strings.text(IdsSignatureA).size() + 4;
    for (size_t i = 0; i < 256; ++i)
        bytes[record + i] = 'A';                                             // auxText without its zero
    bytes[record + fieldInfo(Field::printerLanguage).offset] = 3;              // below the offset of 6
    bytes[record + fieldInfo(Field::statusPaper).offset] = char(0x7F);         // no such paper
    const size_t firstException = record + kJobOptionsSize + 1536 + 2;
    bytes[firstException + 512] = char(0x90);                                 // position -28528
    bytes[firstException + 513] = char(0x90);
    writeFile(path("wild.spx"), bytes);

    CSpxDoc& d = newDocument();
    ASSERT_TRUE(d.OnOpenDocument(path("wild.spx")));
    EXPECT_EQ(d.getText(Field::auxText), std::string(255, 'A'));
    EXPECT_EQ(d.GetPrinterLanguage(), 1);
    EXPECT_TRUE(shownText(dialogs, config.strings.text(IdsUnknownPrinterModel)));
    EXPECT_EQ(d.GetStatusPaper(), 1);   // its stored name "A4 Plain 80" is found again
    EXPECT_EQ(d.GetException(1)->paperPosition(), 1);
    EXPECT_TRUE(d.missingPaperFlag());
    EXPECT_TRUE(d.IsModified());
}

TEST_F(JobFileTest, UnknownJobPaperFallsBackToTheFirstRealPaperWithAWarning)
{
    std::string bytes = readFile(golden("v5.spx"));
    const size_t names = config.strings.text(IdsSignatureA).size() + 4 + kJobOptionsSize;
    const size_t record = config.strings.text(IdsSignatureA).size() + 4;
    const std::string unknown = "Unknown Stock 300";
    bytes.replace(record + fieldInfo(Field::paperName).offset, unknown.size() + 1, unknown + '\0');
    bytes.replace(names, unknown.size() + 1, unknown + '\0');
    writeFile(path("unknown.spx"), bytes);

    CSpxDoc& d = newDocument();
    ASSERT_TRUE(d.OnOpenDocument(path("unknown.spx")));
    EXPECT_EQ(d.GetPaperIndex(), 2);
    EXPECT_EQ(d.GetPaperName(), "A4 Plain 80");
    EXPECT_TRUE(d.IsModified());
    EXPECT_TRUE(shownText(dialogs, "\"A4 Plain 80\""));
}

TEST_F(JobFileTest, ThePaperWarningNamesTheFirstRealPaperInUtf8)
{
    Profile::writeString(path("papers.ini"), "Papers", "PaperDef1", "B\xC3\xBCttenpapier 90,2,White,90 g/m\xC2\xB2,Plain,0");
    std::string bytes = readFile(golden("v5.spx"));
    const size_t names = config.strings.text(IdsSignatureA).size() + 4 + kJobOptionsSize;
    bytes.replace(names, 12, std::string("Unknown 300\0", 12));
    writeFile(path("unknown.spx"), bytes);
    CSpxDoc& d = newDocument();
    ASSERT_TRUE(d.OnOpenDocument(path("unknown.spx")));
    EXPECT_TRUE(shownText(dialogs, "\"B\xC3\xBCttenpapier 90\""));
}

TEST_F(JobFileTest, SaveRefusesACatalogueWithTwoPapersOfOneName)
{
    CSpxDoc& d = newDocument();
    for (int position : {4, 6}) {
        PaperRecord record;
        d.paperList().Get(position, record.bytes);
        record.setName("");
        d.paperList().Set(position, record.bytes);
    }
    EXPECT_FALSE(d.OnSaveDocument(path("job.spx")));   // two unnamed papers share the empty name
    EXPECT_EQ(dialogs.shown.back().text, config.strings.text(IdsDuplicatePaper));
    PaperRecord record;
    d.paperList().Get(6, record.bytes);
    record.setName("Named again");
    d.paperList().Set(6, record.bytes);
    EXPECT_FALSE(d.OnSaveDocument(path("job.spx")));
    EXPECT_EQ(dialogs.shown.back().text, config.strings.text(IdsUnnamedPaper));
    EXPECT_FALSE(std::filesystem::exists(path("job.spx")));
}

TEST_F(JobFileTest, AFailedSaveLeavesTheOldFileUntouched)
{
    CSpxDoc& d = newDocument();
    ASSERT_TRUE(d.OnSaveDocument(path("job.spx")));
    const std::string before = readFile(path("job.spx"));
    d.SetCopies(42);
    for (int error : {EIO, ENOSPC}) {
        dialogs.shown.clear();
        setAtomicWriteFailureForTesting(3000, error);
        EXPECT_FALSE(d.OnSaveDocument(path("job.spx")));
        setAtomicWriteFailureForTesting(-1, 0);
        EXPECT_EQ(readFile(path("job.spx")), before);
        EXPECT_TRUE(shownText(dialogs, config.strings.text(error == ENOSPC ? IdsDiskFull : IdsWriteFailed)));
        EXPECT_TRUE(d.IsModified());
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 3);   // no temporary left
}

TEST_F(JobFileTest, SavingIntoAVanishedFolderFailsWithAMessage)
{
    CSpxDoc& d = newDocument();
    std::filesystem::create_directory(path("gone"));
    std::filesystem::remove(path("gone"));
    EXPECT_FALSE(d.OnSaveDocument(path("gone/job.spx")));
    EXPECT_TRUE(shownText(dialogs, config.strings.text(IdsWriteFailed)));
}

TEST_F(JobFileTest, SaveCommandsFollowTheReadOnlyFlagAndTheAnswers)
{
    CSpxDoc& d = newDocument();
    // Untitled: Save runs Save As; an invalid name is refused and the dialog comes again.
    dialogs.setNextFileName(path("a|b.spx"));
    dialogs.setNextAnswer(MessageAnswer::Ok);
    dialogs.setNextFileName(path("named.spx"));
    d.SetCopies(2);
    EXPECT_TRUE(d.DoFileSave());
    EXPECT_EQ(d.pathName(), path("named.spx"));
    EXPECT_FALSE(d.IsModified());
    EXPECT_TRUE(std::filesystem::exists(path("named.spx")));

    d.setReadOnly(true);
    d.SetCopies(3);
    dialogs.shown.clear();
    EXPECT_FALSE(d.DoFileSave());
    EXPECT_TRUE(shownText(dialogs, config.strings.text(IdsReadOnlySave)));

    dialogs.setNextAnswer(MessageAnswer::Cancel);
    EXPECT_FALSE(d.SaveModified());
    dialogs.setNextAnswer(MessageAnswer::No);
    EXPECT_TRUE(d.SaveModified());
    EXPECT_EQ(dialogs.shown.back().text, config.strings.text(IdsSaveChanges) + " " + d.title() + " ?");
}

TEST_F(JobFileTest, ASaveThatSavedNothingIsNotReportedAsSaved)
{
    CSpxDoc& d = newDocument();
    d.SetCopies(2);
    // Untitled: Save As with an invalid name, given up with Cancel.
    dialogs.setNextAnswer(MessageAnswer::Yes);   // save the changes?
    dialogs.setNextFileName(path("a|b.spx"));
    dialogs.setNextAnswer(MessageAnswer::Cancel);
    EXPECT_FALSE(d.SaveModified());
    EXPECT_TRUE(d.IsModified());
    // The Save dialog could not be shown.
    dialogs.setNextFileDialogFailed();
    EXPECT_FALSE(d.DoFileSave());
    EXPECT_TRUE(shownText(dialogs, config.strings.text(IdsSaveDialogFailed)));
    EXPECT_TRUE(d.IsModified());

    // Paper exceptions beyond what a file holds: nothing is saved, the job stays modified.
    for (int i = 0; i < 513; ++i) {
        ExceptionRecord entry;
        entry.setPageList(std::to_string(i + 1));
        entry.setPaperPosition(2);
        d.exceptionList().Append(entry.bytes);
    }
    dialogs.setNextFileName(path("many.spx"));
    EXPECT_FALSE(d.DoFileSave());
    EXPECT_TRUE(d.IsModified());
    EXPECT_FALSE(std::filesystem::exists(path("many.spx")));
}

TEST_F(JobFileTest, APageThatRefusesItsValuesStopsTheSave)
{
    struct RefusingViews : IDocumentViews {
        bool validateAndStorePages() override { return false; }
    } views;
    CSpxDoc& d = newDocument();
    d.setViews(&views);
    d.SetCopies(2);
    EXPECT_FALSE(d.DoFileSave());
    EXPECT_TRUE(dialogs.fileRequests.empty());
    EXPECT_TRUE(d.IsModified());
    dialogs.setNextAnswer(MessageAnswer::Yes);   // save the changes? Yes, but a page refuses
    EXPECT_FALSE(d.SaveModified());
    d.setViews(nullptr);
}

TEST_F(JobFileTest, OpenCommandKeepsAJobTheOperatorKept)
{
    CSpxDoc& d = newDocument();
    d.SetCopies(2);
    dialogs.setNextAnswer(MessageAnswer::Cancel);   // save the changes?
    d.OnFileOpen();
    EXPECT_TRUE(d.IsModified());
    EXPECT_EQ(d.GetCopies(), 2);

    d.OnFileOpen();   // Yes to the question; the job is untitled, so Save As comes, and is cancelled
    EXPECT_TRUE(d.IsModified());
    EXPECT_FALSE(d.flags().loading);
}

TEST_F(JobFileTest, OpenCommandAsksForAnotherFileWhenTheAnswerIsNo)
{
    CSpxDoc& d = newDocument();
    dialogs.setNextFileName(path("missing.spx"));
    dialogs.setNextAnswer(MessageAnswer::No);
    dialogs.setNextFileName(golden("v5.spx"));
    d.OnFileOpen();
    EXPECT_EQ(d.pathName(), golden("v5.spx"));
    EXPECT_EQ(d.GetCopies(), 3);
    EXPECT_FALSE(d.flags().loading);
}

// The format module alone: bytes to a value and back, without the document.
class JobFileFormatTest : public JobTest {
protected:
    JobFileSignatures signatures() const
    {
        return {config.strings.ansi(IdsSignatureA), config.strings.ansi(IdsSignatureB)};
    }
    size_t s() const { return signatures().first.size(); }
};

TEST_F(JobFileFormatTest, EveryGoldenVersionParsesAndWritesBackByteForByte)
{
    for (int version = 1; version <= 5; ++version) {
        const std::string bytes = readFile(golden("v" + std::to_string(version) + ".spx"));
        JobFileValue value;
        const JobFileParseResult parsed = parseJobFile(bytes, signatures(), value);
        ASSERT_TRUE(parsed) << version << ": " << parsed.reason;
        EXPECT_EQ(value.version, version);
        EXPECT_EQ(parsed.consumed, bytes.size()) << version;
        EXPECT_EQ(writeJobFile(value, signatures()), bytes) << version;
    }
}

TEST_F(JobFileFormatTest, AFailureNamesTheBlockAndWhereItStarts)
{
    const std::string v5 = readFile(golden("v5.spx"));
    const std::string v4 = readFile(golden("v4.spx"));
    struct Case {
        std::string bytes;
        JobFileParse status;
        size_t offset;
        std::string reason;
    };
    std::string badVersion = v5, badMarker = v5, badSignature = v5;
    badVersion[s() + 2] = 6;
    badMarker[s()] = 27;
    badSignature[3] = '?';
    const size_t names = s() + 4 + kJobOptionsSize;
    const std::vector<Case> cases = {
        {badSignature, JobFileParse::NotAJobFile, 0, "signature"},
        {badMarker, JobFileParse::NotAJobFile, s(), "marker 27"},
        {badVersion, JobFileParse::NotAJobFile, s() + 2, "version 6"},
        {v5.substr(0, names + 700), JobFileParse::Truncated, names, "paper names"},
        {v4.substr(0, s() + 4 + 7000), JobFileParse::Truncated, s() + 4 + 6968, "e-mail"},
        {v5.substr(0, v5.size() - 1), JobFileParse::Truncated, v5.size() - 4, "queue"},
    };
    for (const Case& c : cases) {
        JobFileValue value;
        const JobFileParseResult parsed = parseJobFile(c.bytes, signatures(), value);
        EXPECT_EQ(parsed.status, c.status) << c.reason;
        EXPECT_EQ(parsed.offset, c.offset) << c.reason;
        EXPECT_NE(parsed.reason.find(c.reason), std::string::npos) << parsed.reason;
    }
}

TEST_F(JobFileFormatTest, WhatAVersionDoesNotStoreIsLeftAlone)
{
    JobFileValue value;
    std::fill_n(value.record.data(), kJobOptionsSize, uint8_t(0xAB));
    ASSERT_TRUE(parseJobFile(readFile(golden("v4.spx")), signatures(), value));
    EXPECT_EQ(value.record.data()[7231], 0);      // stored by version 4
    EXPECT_EQ(value.record.data()[7232], 0xAB);   // copies: version 5 on
    std::fill_n(value.record.data(), kJobOptionsSize, uint8_t(0xAB));
    ASSERT_TRUE(parseJobFile(readFile(golden("v1.spx")), signatures(), value));
    EXPECT_EQ(value.record.data()[6967], 0);
    EXPECT_EQ(value.record.data()[6968], 0xAB);   // trimEdges: version 4 on
    EXPECT_EQ(value.exceptionCount, 0);
}

TEST_F(JobFileFormatTest, ACountAboveTheLimitEndsTheFileAfterIt)
{
    JobFileValue value;
    value.exceptionCount = 513;
    value.exceptions.resize(513);
    value.printerQueuePosition = 9;
    const std::string bytes = writeJobFile(value, signatures());
    EXPECT_EQ(bytes.size(), s() + 8782);
    JobFileValue back;
    ASSERT_TRUE(parseJobFile(bytes, signatures(), back));
    EXPECT_EQ(back.exceptionCount, 513);
    EXPECT_TRUE(back.exceptions.empty());
    EXPECT_EQ(back.printerQueuePosition, 0u);
}

TEST(JobPathTest, ValidNames)
{
    EXPECT_TRUE(IsValidJobPath("C:\\jobs\\week.1.spx"));
    EXPECT_TRUE(IsValidJobPath("/home/print/jobs/week 1.spx"));
    EXPECT_FALSE(IsValidJobPath("/home/print:jobs/a.spx"));
    for (const char* bad : {"a*b", "a+b", "a,b", "a;b", "a<b", "a>b", "a?b", "a|b", "a\tb"})
        EXPECT_FALSE(IsValidJobPath(bad)) << bad;
    EXPECT_TRUE(IsValidJobPath("/x/" + std::string(260, 'n')));
    EXPECT_FALSE(IsValidJobPath("/x/" + std::string(261, 'n')));
}

} // namespace
} // namespace spx::test
