#include "JobStreamGenerator.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "CodePage.h"
#include "Dialogs.h"
#include "FileStream.h"
#include "HeaderWriter.h"
#include "PageList.h"
#include "SpxDoc.h"
#include "StringTable.h"

namespace spx {

namespace {

// Command table slots by role.
enum Slot : int {
    JobOpening = 2, Closing1 = 3, FirstLinePostScript = 4, FirstLinePcl = 5, PercentPrefix = 6,
    JobText2 = 7, FileName = 8, JobLine = 9, JobValue = 10, Stapling = 11, Folding = 12,
    PlexTumble = 13, PlexDuplex = 14, CollateOn = 15, CollateOff = 16, JobText1 = 18, JobText3 = 19,
    StatusNone = 20, NumericPair = 21, TimedBlock = 22, MainMedia = 26, NoMainMedia = 27, FurtherMedia = 28,
    ProofOn = 29, ProofOff = 30, PamphletSheets = 38, ColourLineStart = 39, ColourKeyFirst = 40,
    NotifyWithAddress = 48, NotifyWithoutAddress = 49, ReplyAddress = 50, FilePostScript = 51, FilePcl = 52,
    Closing2 = 53, Closing3Pcl = 54, StapleWordFirst = 55, FoldWordCode1 = 61, StatusWordMode2 = 62,
    StatusWordMode0 = 63, StatusWordMode1 = 64, StatusWordMode3 = 65, ValueWordFirst = 89, ValueWordMode1 = 94,
    ValueWordMode2 = 95, MediaListFirst = 99, Separators = 108, ChapterHeading = 109, SideOneSided = 112,
    SideTwoSided = 113, TwoCoverPart = 121, InterleavePrinted = 123, InterleaveBlank = 124, Interleaves = 125,
    ChaptersEmpty = 127, ExceptionFirst = 128, ExceptionFurther = 129, Continuation = 130, NumberLineStart = 131,
    JobLineText = 132, PlexSimplex = 133, StatusPage = 134, StackOn = 135, StackOff = 136, CoverSide1Pcl = 138,
    CoverSide2Pcl = 139, CoverLineStart = 143, PrePrintedMedia = 144, SingleCover = 145, WordBackCover = 146,
    WordFrontCover = 147, WordBothCovers = 148, MismatchWait = 151, HeaderPage = 152, HeaderOn = 153,
    HeaderOff = 154, ChaptersSeparateOff = 160, ChaptersSeparateOn = 161, ColourOff = 162, NotifyValue = 163,
    NoReplyAddress = 164, AccountText = 166, TrimOn = 169, TrimOff = 170, CoverSide1PostScript = 171,
    CoverSide2PostScript = 172, FilePdf = 173, PostScriptJobLine = 174, ContinuationStart = 175,
};

constexpr int kExitSlots[7] = {168, 155, 159, 158, 157, 167, 156};
constexpr int kMismatchSlots[4] = {25, 24, 151, 23};

// "(" text ")", the form of a PostScript string.
std::string parenthesised(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + 2);
    out += '(';
    out += text;
    out += ')';
    return out;
}

bool equalsIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size()
           && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                  return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
              });
}

std::string baseName(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

int effectiveFileLanguage(int printerLanguage, int fileLanguage)
{
    return printerLanguage == 1 && fileLanguage == FileLanguagePdf ? FileLanguagePostScript : fileLanguage;
}

std::string sizePair(int sizeCode)
{
    switch (sizeCode) {
    case 0: return "792 1224";
    case 1: return "842 1191";
    case 2: return "595 842";
    case 3: return "638 842";
    case 4: return "612 1008";
    case 5: return "612 792";
    case 6: return "648 792";
    case 7: return "792 1224";
    case 8: return "576 756";
    case 9: return "648 864";
    default: return "0 0";
    }
}

std::string translateUserText(std::string text)
{
    for (char& c : text) {
        switch (static_cast<unsigned char>(c)) {
        case 0x2D: c = char(0xAD); break;
        case 0x60: c = char(0x91); break;
        case 0x88: c = char(0x93); break;
        case 0x91: c = char(0x60); break;
        case 0x92: c = char(0x27); break;
        case 0x98: c = char(0x94); break;
        default: break;
        }
    }
    return text;
}

std::string cleanUserText(std::string text, bool pjl)
{
    for (char& c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            c = ' ';
        else if (pjl && c == '"')
            c = '\'';
    }
    return text;
}

PaperView readPaper(const RecordArray& papers, int position)
{
    PaperView view;
    const uint8_t* record = position >= 1 && position <= papers.Count() ? papers.At(position) : nullptr;
    if (!record || papers.ElementSize() < PaperRecord::kSize)
        return view;
    PaperRecord paper;
    std::memcpy(paper.bytes, record, PaperRecord::kSize);
    view.name = paper.name();
    view.sizeCode = paper.sizeCode();
    view.colour = paper.attribute(1);
    view.weight = paper.attribute(2);
    view.type = paper.attribute(3);
    view.singleSided = paper.singleSided() != 0;
    return view;
}

std::string loginUserFullName()
{
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) != 0 || !found || !found->pw_gecos)
        return {};
    std::string gecos = found->pw_gecos;
    return gecos.substr(0, gecos.find(','));   // the full name is the first field
}

std::string CJobStreamGenerator::PaperName(int position) const
{
    if (!papers_)
        return {};
    return cleanUserText(readPaper(*papers_, position).name, pclPrinter_);
}

std::string generatorResultText(GeneratorResult result)
{
    switch (result) {
    case GeneratorResult::Ok: return "the job header was written";
    case GeneratorResult::MemoryExhausted:
        return "the job header would be larger than 32 MiB (its page lists expand to too many pages), or memory ran out";
    case GeneratorResult::IncludeFileUnreadable:
        return "the include file of the custom options could not be read: it must be a readable regular file of at "
               "most 16 MiB";
    case GeneratorResult::StagingFileFailed:
        return "the header file could not be created or written, or the job has no paper list";
    }
    return "unknown result";
}

// One generation: the job options read step by step into the header, in memory.
class HeaderComposer {
public:
    enum class Preparation { Ready, NoHeader, NoPaperList };

    HeaderComposer(CJobStreamGenerator& generator, const GeneratorInput& input, HeaderWriter& out)
        : generator_(generator), input_(input), options_(*input.options), strings_(*input.strings),
          available_(input.availability), out_(out)
    {
    }

    // The main paper, the command table and the line rules; NoHeader when nothing is to be
    // written (settings mode 2, or no command table for the printer language).
    Preparation prepare();
    // Every section of the header in order.
    GeneratorResult compose();

private:
    struct PendingMedia {
        std::string name;
        bool prePrintedBack;   // declared with command 144; otherwise with the weight "0"
    };

    // --- values -------------------------------------------------------------------------
    int number(Field f) const { return options_.number(f); }
    const std::string& word(int slot) const { return generator_.commands_.slot(slot); }
    std::string format(int slot, std::initializer_list<CommandArgument> args = {}) const
    {
        return generator_.commands_.format(slot, args);
    }
    void command(int slot, std::initializer_list<CommandArgument> args = {}) { out_.line(format(slot, args)); }
    // Control bytes become spaces; in a PJL header double quotes become single quotes.
    std::string cleaned(std::string text) const { return cleanUserText(std::move(text), pcl_); }
    // Texts printed on paper also go through the character translation (it never makes a
    // double quote or a control byte, so a cleaned PJL value stays closed).
    std::string printed(std::string text) const { return translateUserText(cleaned(std::move(text))); }
    // A page list cleaned, and without "%" (no page list holds one, and in a header it would
    // begin a line of its own).
    std::string cleanedPageList(std::string list) const;
    std::string paperName(int position) const { return generator_.PaperName(position); }
    std::string orMainName(std::string name) const { return name.empty() ? mainName_ : name; }
    std::string weightValue(const std::string& weight) const;
    std::string bracketValue(const std::string& text, int noneId) const;
    bool expand(const std::string& list, bool stepByTwo, bool caretsOnly, std::string& out) const;
    template <class Visit> void forEachException(Visit visit) const;

    // --- steps, in the order of the header -----------------------------------------------
    void reportRejectedSlots(int language);
    void jobSection();
    void featureBlock();
    std::string stapleValue() const;
    void mediaSection();
    void declareMedia(int slot, const std::string& name, const PaperView& paper);
    bool referenced(const std::string& name) const;
    void jobTexts();
    void timedBlock();
    GeneratorResult finishingSection();
    GeneratorResult insertBlocks();
    void coverBlock();
    void separatorLine();
    bool chaptersBlock();
    bool exceptionsBlock();
    std::string exceptionPaperName(int position) const;
    void mediaListBlock();
    void statusPage();
    void colourLine();
    void notificationBlock();
    void headerPageAndExit();
    void customText();
    GeneratorResult includeFile();
    void closing();

    CJobStreamGenerator& generator_;
    const GeneratorInput& input_;
    const JobOptions& options_;
    const StringTable& strings_;
    const OptionAvailability& available_;
    HeaderWriter& out_;

    int settingsMode_ = 0;
    bool postScript_ = true;   // PostScript printer
    bool pcl_ = false;         // PCL printer (PJL header)
    bool pclFile_ = false;     // the print file is PCL: lines must stay PJL lines
    std::string prefix_;       // command 6
    int mainPosition_ = 0;
    PaperView main_;
    bool mainExists_ = false;
    std::string mainName_;
    std::vector<PendingMedia> pendingMedia_;
};

std::string HeaderComposer::weightValue(const std::string& weight) const
{
    if (equalsIgnoringCase(weight, strings_.ansi(IdsNoWeight)))
        return "0";
    return weight.substr(0, 3);
}

std::string HeaderComposer::bracketValue(const std::string& text, int noneId) const
{
    return equalsIgnoringCase(text, strings_.ansi(noneId)) ? "()" : parenthesised(text);
}

std::string HeaderComposer::cleanedPageList(std::string list) const
{
    list = cleaned(std::move(list));
    std::replace(list.begin(), list.end(), '%', ' ');
    return list;
}

// A page list is cleaned before it is expanded, so that no byte of it can begin or end a line of
// the header; its expansion may use what is left of the header's cap.
bool HeaderComposer::expand(const std::string& list, bool stepByTwo, bool caretsOnly, std::string& out) const
{
    PageListExpansion how;
    how.continuationLine = word(Continuation);
    how.numberLineStart = format(NumberLineStart);
    how.stepByTwo = stepByTwo;
    how.caretsOnly = caretsOnly;
    how.byteBudget = out_.room();
    return expandPageList(normalisePageList(cleanedPageList(list)), how, out);
}

// Calls `visit` with every readable exception in list order until it returns false.
template <class Visit> void HeaderComposer::forEachException(Visit visit) const
{
    if (!input_.exceptions || input_.exceptions->ElementSize() < ExceptionRecord::kSize)
        return;
    ExceptionRecord entry;
    for (int i = 1; i <= input_.exceptions->Count(); ++i)
        if (input_.exceptions->Get(i, entry.bytes) && !visit(entry))
            return;
}

HeaderComposer::Preparation HeaderComposer::prepare()
{
    settingsMode_ = number(Field::settingsMode);
    if (settingsMode_ == 2)
        return Preparation::NoHeader;
    if (!input_.papers)
        return Preparation::NoPaperList;
    const int language = number(Field::printerLanguage);
    postScript_ = language == 0;
    pcl_ = language == 1;
    generator_.papers_ = input_.papers;
    generator_.pclPrinter_ = pcl_;
    mainPosition_ = number(Field::paperIndex);
    main_ = readPaper(*input_.papers, mainPosition_);
    mainExists_ = mainPosition_ >= 1 && mainPosition_ <= input_.papers->Count();
    mainName_ = cleaned(main_.name);
    pclFile_ = input_.fileLanguage == FileLanguagePcl;

    if (!generator_.commands_.LoadCommandTable(strings_, language))
        return Preparation::NoHeader;
    reportRejectedSlots(language);
    prefix_ = format(PercentPrefix);
    if (pclFile_)
        out_.setPrefix(prefix_);
    std::string continuationStart = word(ContinuationStart).empty() ? strings_.ansi(IdsContinuation) : word(ContinuationStart);
    if (continuationStart.size() > 64)
        continuationStart.resize(64);
    out_.setContinuation(word(Continuation), std::move(continuationStart));
    return Preparation::Ready;
}

// A command string of the bundle that does not fit its place is reported once per generator.
void HeaderComposer::reportRejectedSlots(int language)
{
    for (int slot : generator_.commands_.rejectedSlots()) {
        if (!generator_.reportedSlots_.insert({language, slot}).second || !input_.dialogs)
            continue;
        input_.dialogs->messageBox(strings_.text(IdsCommandRejected) + " "
                                       + std::to_string(CommandTable::baseId(language) + slot - 1),
                                   MessageIcon::Exclamation, MessageButtons::Ok);
    }
}

GeneratorResult HeaderComposer::compose()
{
    if (settingsMode_ == 0) {
        jobSection();
        mediaSection();
        timedBlock();
        if (const GeneratorResult result = finishingSection(); result != GeneratorResult::Ok)
            return result;
    }
    customText();
    if (const GeneratorResult result = includeFile(); result != GeneratorResult::Ok)
        return result;
    if (settingsMode_ == 0)
        closing();
    return out_.overflowed() ? GeneratorResult::MemoryExhausted : GeneratorResult::Ok;
}

void HeaderComposer::jobSection()
{
    const long long copies = options_.unsignedNumber(Field::copies);
    if (pclFile_)
        command(FirstLinePcl, {27});
    else
        out_.line(word(FirstLinePostScript));
    command(JobOpening);
    if (postScript_) {
        command(PostScriptJobLine);
        command(JobValue, {copies});
        featureBlock();
    }
    command(JobLineText, {""});
    command(FileName, {cleaned(baseName(input_.printFilePath))});
    command(JobLine);
    command(JobValue, {copies});
}

std::string HeaderComposer::stapleValue() const
{
    const int exit = number(Field::outputExit);
    const int staple = number(Field::stapleMode);
    if (exit == 0 || exit == 1 || exit == 5)
        return staple >= 0 && staple <= 5 ? word(StapleWordFirst + staple) : std::string();
    if (exit == 2 || exit == 3 || exit == 4 || exit == 6)
        return staple == 0 || pcl_ ? word(StapleWordFirst) : std::string();
    return {};
}

void HeaderComposer::featureBlock()
{
    if (number(Field::stapleMode) >= 0)
        command(Stapling, {stapleValue()});
    if (available_.folding || postScript_) {
        const int fold = number(Field::foldMode);
        command(Folding, {fold == 0 ? word(StapleWordFirst) : fold == 1 ? word(FoldWordCode1) : fold == 2 ? word(60) : ""});
    }
    const int plex = number(Field::plexMode);
    if (plex == 1 || plex == 2)
        command(mainName_.empty() || main_.singleSided ? PlexSimplex : plex == 1 ? PlexDuplex : PlexTumble);
    else if (plex == 5)
        command(PlexDuplex);
    else
        command(PlexSimplex);
    command(number(Field::collate) == 1 ? CollateOn : CollateOff);
    if (available_.stacking)
        command(number(Field::stackMode) != 0 ? StackOn : StackOff);
    else if (postScript_ && number(Field::outputExit) == 6)
        command(StackOn);
    if (postScript_ && number(Field::outputExit) == 0)
        command(number(Field::trimEdges) != 0 ? TrimOn : TrimOff);
}

// The feature block again, the papers the job uses, the job texts and the page range.
void HeaderComposer::mediaSection()
{
    featureBlock();
    if (mainExists_)
        declareMedia(MainMedia, mainName_, main_);
    else
        command(NoMainMedia);
    for (int position = 2; position <= input_.papers->Count(); ++position) {
        if (position == mainPosition_)
            continue;
        const PaperView paper = readPaper(*input_.papers, position);
        const std::string name = cleaned(paper.name);
        if (referenced(name))
            declareMedia(FurtherMedia, name, paper);
    }
    const int plex = number(Field::plexMode);
    if (plex == 3 || plex == 4) {
        const int code = main_.sizeCode < 0 || main_.sizeCode > 6 ? 0 : main_.sizeCode;
        command(FurtherMedia, {strings_.ansi(IdsInterleaveMedia), sizePair(code), weightValue(strings_.ansi(IdsNoWeight)),
                               bracketValue(strings_.ansi(IdsNoColour), IdsNoColour),
                               bracketValue(strings_.ansi(IdsInterleaveType), IdsNoType)});
    }
    jobTexts();
    if (number(Field::pageRangeActive) == 1)
        command(NumericPair, {(long long)options_.unsignedNumber(Field::fromPage), (long long)options_.unsignedNumber(Field::toPage)});
}

void HeaderComposer::declareMedia(int slot, const std::string& name, const PaperView& paper)
{
    command(slot, {name, sizePair(paper.sizeCode), cleaned(weightValue(paper.weight)),
                   cleaned(bracketValue(paper.colour, IdsNoColour)), cleaned(bracketValue(paper.type, IdsNoType))});
}

bool HeaderComposer::referenced(const std::string& name) const
{
    auto is = [&](const std::string& other) { return !other.empty() && other == name; };
    auto isPaper = [&](Field index) { return is(paperName(number(index) + 1)); };
    if (is(mainName_))
        return true;
    if (available_.frontCover && number(Field::frontCover) != 0 && isPaper(Field::frontCoverPaper))
        return true;
    bool found = false;
    if (!available_.page5Disabled)
        forEachException([&](const ExceptionRecord& entry) { return !(found = is(paperName(entry.paperPosition()))); });
    if (found || (number(Field::statusMode) != 0 && isPaper(Field::statusPaper)))
        return true;
    if (number(Field::notPamphlet) != 0 && available_.backCover && number(Field::backCover) != 0
        && isPaper(available_.backCoverPaper ? Field::backCoverPaper : Field::frontCoverPaper))
        return true;
    if (available_.separatorPaper && number(Field::separators) != 0 && isPaper(Field::separatorPaper))
        return true;
    return available_.headerPaper && number(Field::headerPaper) != 0 && isPaper(Field::headerPaper);
}

// The job texts are printed on paper: cleaned and translated. The account text is a key the
// printer matches, so it is only cleaned.
void HeaderComposer::jobTexts()
{
    auto printedText = [&](Field field, int slot) {
        const std::string text = options_.text(field);
        if (!text.empty())
            command(slot, {printed(text)});
    };
    printedText(Field::jobText1041, JobText2);
    printedText(Field::jobText1040, JobText1);
    printedText(Field::jobText1074, JobText3);
    const std::string account = options_.text(Field::auxText);
    if (postScript_ && !account.empty())
        command(AccountText, {cleaned(account)});
}

void HeaderComposer::timedBlock()
{
    if (number(Field::proofSet) == 0)
        return;
    if (!pcl_) {
        out_.line(strings_.ansi(IdsProofSetTimed), false);
        return;
    }
    const int action = number(Field::proofSetAction);
    command(TimedBlock, {number(Field::proofSetMinutes) * 60LL,
                         action == 1 ? word(ValueWordMode1) : action == 2 ? word(ValueWordMode2) : ""});
}

GeneratorResult HeaderComposer::finishingSection()
{
    const int mismatch = number(Field::mismatchHandling);
    if (mismatch >= 0 && mismatch <= 3)
        command(kMismatchSlots[mismatch]);
    command(number(Field::proofSet) != 0 ? ProofOn : ProofOff, {mainName_});
    if (const GeneratorResult result = insertBlocks(); result != GeneratorResult::Ok)
        return result;
    statusPage();
    if (number(Field::notPamphlet) == 0)
        command(PamphletSheets, {(number(Field::pamphletPages) + 3LL) / 4});
    colourLine();
    notificationBlock();
    const int fileLanguage = input_.fileLanguage;
    if (fileLanguage >= 0 && fileLanguage <= 2)
        command(fileLanguage == 0 ? FilePostScript : fileLanguage == 1 ? FilePcl : FilePdf);
    headerPageAndExit();
    return GeneratorResult::Ok;
}

GeneratorResult HeaderComposer::insertBlocks()
{
    coverBlock();
    separatorLine();
    const int plex = number(Field::plexMode);
    if (plex == 3 || plex == 4)
        command(Interleaves, {mainName_, word(plex == 3 ? InterleaveBlank : InterleavePrinted), strings_.ansi(IdsInterleaveMedia)});
    if (!chaptersBlock() || !exceptionsBlock())
        return GeneratorResult::MemoryExhausted;
    mediaListBlock();
    return out_.overflowed() ? GeneratorResult::MemoryExhausted : GeneratorResult::Ok;
}

void HeaderComposer::coverBlock()
{
    auto coverPosition = [&](int index) { return index == 0 ? mainPosition_ : index + 1; };
    const int frontPosition = coverPosition(number(Field::frontCoverPaper));
    const int backPosition = available_.backCoverPaper ? coverPosition(number(Field::backCoverPaper)) : frontPosition;
    const std::string front = orMainName(paperName(frontPosition));
    const std::string back = orMainName(paperName(backPosition));

    enum class State { Off, On, PrePrinted };
    struct Cover {
        State state = State::Off;
        int sideSlot = 0;
    };
    auto cover = [&](int mode) {
        switch (mode) {
        case 1: return Cover{State::On, pcl_ ? CoverSide1Pcl : CoverSide1PostScript};
        case 2: return Cover{State::On, pcl_ ? CoverSide2Pcl : CoverSide2PostScript};
        case 3: return Cover{State::On, CoverSide2Pcl};
        case 4: return Cover{State::PrePrinted, CoverSide1Pcl};
        default: return Cover{};
        }
    };
    const Cover f = cover(available_.frontCover ? number(Field::frontCover) : 0);
    const Cover b = cover(available_.backCover ? number(Field::backCover) : 0);
    const std::string frontSide = f.sideSlot ? word(f.sideSlot) : "";
    const std::string backSide = b.sideSlot ? word(b.sideSlot) : "";

    std::string line = word(CoverLineStart);
    if (number(Field::notPamphlet) == 0) {
        if (f.state == State::On) {
            line = format(SingleCover, {front, word(WordBothCovers), ""});
        } else if (f.state == State::PrePrinted) {
            line.clear();
            pendingMedia_.push_back({front, false});
        }
    } else if (f.state != State::On) {
        if (f.state == State::PrePrinted)
            pendingMedia_.push_back({front, false});
        if (b.state == State::On)
            line = format(SingleCover, {back, word(WordBackCover), backSide});
        else if (b.state == State::PrePrinted)
            pendingMedia_.push_back({back, true});
    } else if (b.state != State::On) {
        line = format(SingleCover, {front, word(WordFrontCover), frontSide});
        if (b.state == State::PrePrinted)
            pendingMedia_.push_back({back, true});
    } else if (front == back && (frontSide == backSide || pcl_)) {
        line = format(SingleCover, {front, word(WordBothCovers), frontSide});
    } else {
        // The line's trailing line ends become spaces; the second part follows on the same line.
        for (auto c = line.rbegin(); c != line.rend() && (*c == '\r' || *c == '\n'); ++c)
            *c = ' ';
        line += format(TwoCoverPart, {front, word(WordFrontCover), frontSide, pclFile_ ? prefix_ : "", back,
                                      word(WordBackCover), backSide});
    }
    out_.line(line);
}

void HeaderComposer::separatorLine()
{
    if (number(Field::separators) != 0) {
        const int index = number(Field::separatorPaper);
        command(Separators, {index == 0 ? mainName_ : orMainName(paperName(index + 1))});
    } else if (postScript_) {
        command(Separators, {""});
    }
}

// False when the expanded list would pass the header's cap.
bool HeaderComposer::chaptersBlock()
{
    const std::string list = available_.chapterPages ? cleanedPageList(options_.text(Field::chapterPages)) : "";
    if (normalisePageList(list).find_first_not_of(' ') == std::string::npos) {
        command(ChaptersEmpty);
        return true;
    }
    std::string expansion;
    if (!expand(list, false, false, expansion))
        return false;
    command(ChapterHeading, {""});
    out_.wrapped(expansion);
    return !out_.overflowed();
}

std::string HeaderComposer::exceptionPaperName(int position) const
{
    std::string name = paperName(position);
    if (name.empty() || position == 1)
        name = mainName_;
    return parenthesised(translateUserText(name));
}

// False when an expanded list would pass the header's cap.
bool HeaderComposer::exceptionsBlock()
{
    if (available_.page5Disabled)
        return true;
    bool first = true, fits = true;
    forEachException([&](const ExceptionRecord& entry) {
        const int position = entry.paperPosition();
        const bool oneSided = readPaper(*input_.papers, position).singleSided || number(Field::plexMode) == 0;
        std::string expansion;
        if (!expand(entry.pageList(), !oneSided, false, expansion))
            return fits = false;
        if (expansion.empty())
            return true;
        command(first ? ExceptionFirst : ExceptionFurther,
                {exceptionPaperName(position), word(oneSided ? SideOneSided : SideTwoSided), ""});
        first = false;
        out_.wrapped(expansion);
        return fits = !out_.overflowed();
    });
    return fits;
}

// With the exceptions tab disabled the list runs only for a pamphlet whose stored front cover
// mode is pre-printed (whether or not its combo is enabled), and lists no exceptions.
void HeaderComposer::mediaListBlock()
{
    const bool listExceptions = !available_.page5Disabled;
    if (!listExceptions && !(number(Field::notPamphlet) == 0 && number(Field::frontCover) == 4))
        return;
    bool first = true;
    if (listExceptions) {
        forEachException([&](const ExceptionRecord& entry) {
            std::string carets;
            expand(entry.pageList(), false, true, carets);
            if (carets.empty())
                return true;
            command(first ? MediaListFirst : Continuation, {exceptionPaperName(entry.paperPosition()), ""});
            first = false;
            out_.wrapped(carets);
            return !out_.overflowed();
        });
    }
    for (const PendingMedia& media : pendingMedia_) {
        command(first ? MediaListFirst : Continuation, {media.name, media.prePrintedBack ? word(PrePrintedMedia) : "0"});
        first = false;
    }
    if (first)
        command(MediaListFirst, {"", ""});
}

void HeaderComposer::statusPage()
{
    const int statusIndex = number(Field::statusPaper);
    std::string name = statusIndex == 0 ? "" : paperName(statusIndex + 1);
    if (name.empty())
        name = orMainName(paperName(mainPosition_));
    switch (number(Field::statusMode)) {
    case 0: command(StatusNone, {word(StatusWordMode0)}); break;
    case 1: command(StatusPage, {word(StatusWordMode1), name}); break;
    case 2: command(StatusPage, {word(StatusWordMode2), name}); break;
    case 3: command(StatusPage, {word(StatusWordMode3), name}); break;
    default: break;
    }
}

// PCL printers: the free-form colour entries on one line of at most 255 bytes.
void HeaderComposer::colourLine()
{
    if (number(Field::freeformColor) == 0 || !pcl_) {
        command(ColourOff);
        return;
    }
    std::string line = format(ColourLineStart);
    for (int i = 0; i < 8; ++i) {
        const int value = number(colorMapField(i));
        if (value == 0)
            continue;
        const std::string part = " " + word(ColourKeyFirst + i) + " "
                                 + (value >= 1 && value <= 5 ? word(ValueWordFirst + value - 1) : "") + " ";
        if (line.size() + part.size() <= 255)
            line += part;
    }
    if (!line.empty()) {
        out_.line(line);
        out_.ensureNewLine();
    }
}

// The notification block is on when the job names an e-mail address: notify, with that address,
// without a reply address. The address is a key the printer's mail goes to: cleaned, never
// translated.
void HeaderComposer::notificationBlock()
{
    const std::string address = options_.text(Field::emailAddress);
    if (address.empty())
        return;
    if (postScript_ && !input_.userFullName.empty())
        out_.line(strings_.ansi(IdsRegisteredUser) + " " + cleaned(input_.userFullName) + "\n", false);
    command(NotifyWithAddress, {cleaned(address), word(NotifyValue)});
    command(NoReplyAddress);
}

void HeaderComposer::headerPageAndExit()
{
    if (number(Field::headerPage) != 0) {
        const int index = number(Field::headerPaper);
        const std::string name = index == 0 ? paperName(mainPosition_) : paperName(index + 1);
        command(HeaderPage, {word(HeaderOn), parenthesised(orMainName(name))});
    } else {
        command(HeaderPage, {word(HeaderOff), ""});
    }
    const int exit = number(Field::outputExit);
    if (exit >= 0 && exit <= 6)
        command(kExitSlots[exit]);
    command(number(Field::finishChaptersSeparately) == 1 ? ChaptersSeparateOn : ChaptersSeparateOff);
}

// The operator's own printer-language lines, ending with one newline.
void HeaderComposer::customText()
{
    const std::string custom = options_.text(Field::customText);
    if (custom.empty())
        return;
    out_.line(custom, false);
    out_.ensureNewLine();
}

// The include file's bytes as they stand, ending with one newline. Only a regular file within
// its cap is read: a device would never end and a FIFO might never be written.
GeneratorResult HeaderComposer::includeFile()
{
    const std::string path = options_.text(Field::customIncludeFile);
    if (path.empty())
        return GeneratorResult::Ok;
    CFileStream file;
    file.regularFilesOnly = true;
    file.sizeLimit = int64_t(kIncludeFileByteCap);
    std::string bytes;
    if (!file.SetName(path) || !file.Open() || !file.ReadToEnd(bytes)) {
        if (input_.dialogs)
            input_.dialogs->messageBox(strings_.text(IdsIncludeFileMissing) + "\n" + ansiToUtf8(path), MessageIcon::Stop,
                                       MessageButtons::Ok);
        return GeneratorResult::IncludeFileUnreadable;
    }
    out_.raw(bytes);
    out_.ensureNewLine();
    return out_.overflowed() ? GeneratorResult::MemoryExhausted : GeneratorResult::Ok;
}

void HeaderComposer::closing()
{
    command(Closing1);
    command(Closing2);
    if (pclFile_) {
        out_.line(word(Closing3Pcl));
        out_.raw("\n");
    }
}

GeneratorResult CJobStreamGenerator::Generate(const GeneratorInput& input, const std::string& stagingPath)
{
    bytesWritten_ = 0;
    if (!input.options || !input.strings)
        return GeneratorResult::StagingFileFailed;
    try {
        HeaderWriter header(kHeaderByteCap);
        HeaderComposer composer(*this, input, header);
        switch (composer.prepare()) {
        case HeaderComposer::Preparation::NoHeader: return GeneratorResult::Ok;
        case HeaderComposer::Preparation::NoPaperList: return GeneratorResult::StagingFileFailed;
        case HeaderComposer::Preparation::Ready: break;
        }
        // The staging file is created first: a job that cannot be written fails before its
        // include file is read.
        CFileStream staging;
        staging.openMode = FileOpenReplace;
        staging.regularFilesOnly = true;
        if (!staging.SetName(stagingPath) || !staging.Open())
            return GeneratorResult::StagingFileFailed;
        if (const GeneratorResult result = composer.compose(); result != GeneratorResult::Ok)
            return result;
        int64_t count = int64_t(header.text().size());
        const bool written = staging.Write(header.text().data(), count);
        bytesWritten_ = uint64_t(count);
        return written ? GeneratorResult::Ok : GeneratorResult::StagingFileFailed;
    } catch (const std::bad_alloc&) {
        return GeneratorResult::MemoryExhausted;
    }
}

GeneratorResult CJobStreamGenerator::Generate(const CSpxDoc& document, const std::string& printFile,
                                              const std::string& stagingPath, int fileLanguage,
                                              const ItemLockFlags& locks, IDialogs* dialogs,
                                              const std::string& userFullName)
{
    GeneratorInput input;
    input.options = &document.options();
    input.papers = &document.paperList();
    input.exceptions = &document.exceptionList();
    input.strings = &document.strings();
    input.availability = computeOptionAvailability(document, locks);
    input.printFilePath = printFile;
    input.fileLanguage = fileLanguage;
    input.userFullName = userFullName;
    input.dialogs = dialogs;
    return Generate(input, stagingPath);
}

} // namespace spx
