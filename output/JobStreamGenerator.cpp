#include "JobStreamGenerator.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "CodePage.h"
#include "Dialogs.h"
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

// One generation: the state that lives from opening the staging file to closing it.
class GenerationRun {
public:
    GenerationRun(CJobStreamGenerator& generator, const GeneratorInput& input)
        : g_(generator), in_(input), o_(*input.options), s_(*input.strings), a_(input.availability)
    {
    }
    ~GenerationRun() { closeFile(); }

    int run(const std::string& stagingPath);

private:
    struct PendingMedia {
        std::string name;
        int flag;   // 0 declared with the weight "0", 1 with command 144
    };

    // --- values -------------------------------------------------------------------------
    int num(Field f) const { return o_.number(f); }
    const std::string& cmd(int slot) const { return g_.commands_.slot(slot); }
    std::string fmt(int slot, std::initializer_list<CommandArgument> args = {}) const { return g_.commands_.format(slot, args); }
    std::string user(std::string text) const { return cleanUserText(std::move(text), pcl_); }
    std::string paperName(int position) const { return g_.PaperName(position); }
    std::string orMain(std::string name) const { return name.empty() ? mainName_ : name; }
    // User texts go to either printer through the same character translation (it never makes a
    // double quote or a control byte, so a cleaned PJL value stays closed).
    std::string translated(std::string text) const { return translateUserText(std::move(text)); }

    std::string weightValue(const std::string& weight) const
    {
        if (equalsIgnoringCase(weight, s_.ansi(IdsNoWeight)))
            return "0";
        return weight.substr(0, 3);
    }
    std::string bracketValue(const std::string& text, int noneId) const
    {
        return equalsIgnoringCase(text, s_.ansi(noneId)) ? "()" : parenthesised(text);
    }

    // --- writing ------------------------------------------------------------------------
    void writeRaw(std::string_view bytes);
    void flush();
    void closeFile();
    void writeLine(std::string_view text, bool fromTable = true);
    void writeCommand(int slot, std::initializer_list<CommandArgument> args = {}) { writeLine(fmt(slot, args)); }
    void writeWrapped(const std::string& text, bool pageCheck);
    void writeLongLine(std::string_view line);
    void writeLines(std::string_view text);
    void ensureNewLine();

    // --- blocks -------------------------------------------------------------------------
    void featureBlock();
    std::string stapleValue() const;
    bool referenced(const std::string& name) const;
    int insertBlocks();
    void coverBlock();
    int chaptersBlock();
    int exceptionsBlock();
    void mediaListBlock();
    void notificationBlock();
    int includeFile();
    std::string exceptionPaperName(int position) const;
    bool expand(const std::string& list, bool stepByTwo, bool caretsOnly, std::string& out) const;

    CJobStreamGenerator& g_;
    const GeneratorInput& in_;
    const JobOptions& o_;
    const StringTable& s_;
    const OptionAvailability& a_;
    bool postScript_ = true;   // printer language
    bool pcl_ = false;         // PCL printer (PJL header)
    bool prefixPercentLines_ = false;
    std::string prefix_;
    std::string continuationStart_;
    int mainPosition_ = 0;
    PaperView main_;
    bool mainExists_ = false;
    std::string mainName_;
    std::vector<PendingMedia> pendingMedia_;

    int fd_ = -1;
    std::string buffer_;
    bool writeFailed_ = false;
    char lastByte_ = '\n';
};

void GenerationRun::writeRaw(std::string_view bytes)
{
    if (bytes.empty())
        return;
    buffer_.append(bytes);
    lastByte_ = bytes.back();
    if (buffer_.size() >= 64 * 1024)
        flush();
}

void GenerationRun::flush()
{
    size_t done = 0;
    while (fd_ >= 0 && !writeFailed_ && done < buffer_.size()) {
        ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            writeFailed_ = true;
            break;
        }
        done += size_t(n);
    }
    g_.bytesWritten_ += done;
    buffer_.clear();
}

void GenerationRun::closeFile()
{
    if (fd_ < 0)
        return;
    flush();
    if (::close(fd_) != 0)
        writeFailed_ = true;
    fd_ = -1;
}

// In a PCL file's header every line must be a PJL line: a line that begins with "%" gets the
// prefix of command 6 (a PJL comment). Lines that come from the command table get it as well
// when they are neither PJL commands nor escape sequences (the PostScript code of the
// PostScript table's features), so that no line of ours can leave the PJL section.
void GenerationRun::writeLine(std::string_view text, bool fromTable)
{
    if (text.empty())
        return;
    if (!prefixPercentLines_ || prefix_.empty()) {
        writeRaw(text);
        return;
    }
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        end = end == std::string_view::npos ? text.size() : end + 1;
        std::string_view line = text.substr(pos, end - pos);
        bool blank = line.front() == '\n' || line.front() == '\r';
        bool needsPrefix = line.front() == '%';
        if (fromTable && !blank && !needsPrefix)
            needsPrefix = line.substr(0, 4) != "@PJL" && line.front() != '\x1b';
        if (needsPrefix)
            writeRaw(prefix_);
        writeRaw(line);
        pos = end;
    }
}

void GenerationRun::ensureNewLine()
{
    if (lastByte_ != '\n')
        writeRaw("\n");
}

// A text longer than 255 bytes is cut at the last space at or before byte 255; every further
// line begins with the continuation text.
void GenerationRun::writeLongLine(std::string_view line)
{
    constexpr size_t kLimit = 255;
    bool hasEnd = !line.empty() && line.back() == '\n';
    if (hasEnd)
        line.remove_suffix(1);
    std::string current(line);
    size_t protectedPrefix = 0;   // a continuation line is never cut inside its own start
    while (current.size() > kLimit) {
        size_t cut = current.rfind(' ', kLimit);
        size_t resume = cut + 1;
        if (cut == std::string::npos || cut <= protectedPrefix) {
            cut = kLimit;
            resume = kLimit;
        }
        writeLine(current.substr(0, cut) + "\n");
        current = continuationStart_ + current.substr(resume);
        protectedPrefix = continuationStart_.size();
    }
    writeLine(current + "\n");
}

void GenerationRun::writeWrapped(const std::string& text, bool pageCheck)
{
    if (pageCheck && a_.page5Disabled)
        return;
    if (text.empty())
        return;   // the previous line has ended already: nothing to add
    auto searchStart = [](std::string_view piece) -> size_t {
        return static_cast<unsigned char>(piece.front()) <= '\r' ? 3 : 2;
    };
    size_t firstCut = text.size() > searchStart(text) ? text.find('%', searchStart(text)) : std::string::npos;
    if (firstCut != std::string::npos) {
        // One line per piece, each piece starting at a "%".
        size_t start = 0;
        bool first = true;
        while (start < text.size()) {
            std::string_view rest(text.data() + start, text.size() - start);
            size_t skip = searchStart(rest);
            size_t next = rest.size() > skip ? rest.find('%', skip) : std::string_view::npos;
            std::string piece(rest.substr(0, next == std::string_view::npos ? rest.size() : next));
            if (first && piece.find('%') == std::string::npos)
                piece = fmt(Continuation, {piece, ""});
            first = false;
            writeLines(piece);
            if (next == std::string_view::npos)
                break;
            start += next;
        }
        return;
    }
    // A bare list (no "%" and no line of its own yet) becomes a continuation line first.
    std::string lines = text.find('%') == std::string::npos && text.find('\n') == std::string::npos
                            ? fmt(Continuation, {text, ""})
                            : text;
    writeLines(lines);
}

// Every line of `text` on a line of its own, long lines continued.
void GenerationRun::writeLines(std::string_view text)
{
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        end = end == std::string_view::npos ? text.size() : end + 1;
        writeLongLine(text.substr(pos, end - pos));
        pos = end;
    }
}

std::string GenerationRun::stapleValue() const
{
    int exit = num(Field::outputExit);
    int staple = num(Field::stapleMode);
    if (exit == 0 || exit == 1 || exit == 5)
        return staple >= 0 && staple <= 5 ? cmd(StapleWordFirst + staple) : std::string();
    if (exit == 2 || exit == 3 || exit == 4 || exit == 6)
        return staple == 0 || pcl_ ? cmd(StapleWordFirst) : std::string();
    return {};
}

void GenerationRun::featureBlock()
{
    if (num(Field::stapleMode) >= 0)
        writeCommand(Stapling, {stapleValue()});
    if (a_.folding || postScript_) {
        int fold = num(Field::foldMode);
        std::string word = fold == 0 ? cmd(StapleWordFirst) : fold == 1 ? cmd(FoldWordCode1) : fold == 2 ? cmd(60) : "";
        writeCommand(Folding, {word});
    }
    int plex = num(Field::plexMode);
    if (plex == 1 || plex == 2)
        writeCommand(mainName_.empty() || main_.singleSided ? PlexSimplex : plex == 1 ? PlexDuplex : PlexTumble);
    else if (plex == 5)
        writeCommand(PlexDuplex);
    else
        writeCommand(PlexSimplex);
    writeCommand(num(Field::collate) == 1 ? CollateOn : CollateOff);
    if (a_.stacking)
        writeCommand(num(Field::stackMode) != 0 ? StackOn : StackOff);
    else if (postScript_ && num(Field::outputExit) == 6)
        writeCommand(StackOn);
    if (postScript_ && num(Field::outputExit) == 0)
        writeCommand(num(Field::trimEdges) != 0 ? TrimOn : TrimOff);
}

bool GenerationRun::referenced(const std::string& name) const
{
    auto is = [&](const std::string& other) { return !other.empty() && other == name; };
    if (is(mainName_))
        return true;
    if (a_.frontCover && num(Field::frontCover) != 0 && is(paperName(num(Field::frontCoverPaper) + 1)))
        return true;
    if (!a_.page5Disabled && in_.exceptions) {
        ExceptionRecord entry;
        for (int i = 1; i <= in_.exceptions->Count(); ++i)
            if (in_.exceptions->ElementSize() >= ExceptionRecord::kSize && in_.exceptions->Get(i, entry.bytes)
                && is(paperName(entry.paperPosition())))
                return true;
    }
    if (num(Field::statusMode) != 0 && is(paperName(num(Field::statusPaper) + 1)))
        return true;
    if (num(Field::notPamphlet) != 0 && a_.backCover && num(Field::backCover) != 0) {
        int index = a_.backCoverPaper ? num(Field::backCoverPaper) : num(Field::frontCoverPaper);
        if (is(paperName(index + 1)))
            return true;
    }
    if (a_.separatorPaper && num(Field::separators) != 0 && is(paperName(num(Field::separatorPaper) + 1)))
        return true;
    if (a_.headerPaper && num(Field::headerPaper) != 0 && is(paperName(num(Field::headerPaper) + 1)))
        return true;
    return false;
}

bool GenerationRun::expand(const std::string& list, bool stepByTwo, bool caretsOnly, std::string& out) const
{
    PageListExpansion how;
    how.continuationLine = cmd(Continuation);
    how.numberLineStart = fmt(NumberLineStart);
    how.stepByTwo = stepByTwo;
    how.caretsOnly = caretsOnly;
    return expandPageList(normalisePageList(list), how, out);
}

void GenerationRun::coverBlock()
{
    auto coverPosition = [&](int index) { return index == 0 ? mainPosition_ : index + 1; };
    int frontPosition = coverPosition(num(Field::frontCoverPaper));
    int backPosition = a_.backCoverPaper ? coverPosition(num(Field::backCoverPaper)) : frontPosition;
    std::string front = orMain(paperName(frontPosition));
    std::string back = orMain(paperName(backPosition));

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
    Cover f = cover(a_.frontCover ? num(Field::frontCover) : 0);
    Cover b = cover(a_.backCover ? num(Field::backCover) : 0);
    std::string frontSide = f.sideSlot ? cmd(f.sideSlot) : "";
    std::string backSide = b.sideSlot ? cmd(b.sideSlot) : "";

    std::string line = cmd(CoverLineStart);
    if (num(Field::notPamphlet) == 0) {
        if (f.state == State::On) {
            line = fmt(SingleCover, {front, cmd(WordBothCovers), ""});
        } else if (f.state == State::PrePrinted) {
            line.clear();
            pendingMedia_.push_back({front, 0});
        }
    } else if (f.state != State::On) {
        if (f.state == State::PrePrinted)
            pendingMedia_.push_back({front, 0});
        if (b.state == State::On)
            line = fmt(SingleCover, {back, cmd(WordBackCover), backSide});
        else if (b.state == State::PrePrinted)
            pendingMedia_.push_back({back, 1});
    } else if (b.state != State::On) {
        line = fmt(SingleCover, {front, cmd(WordFrontCover), frontSide});
        if (b.state == State::PrePrinted)
            pendingMedia_.push_back({back, 1});
    } else if (front == back && (frontSide == backSide || pcl_)) {
        line = fmt(SingleCover, {front, cmd(WordBothCovers), frontSide});
    } else {
        // The line's trailing line ends become spaces; the second part follows on the same line.
        for (auto c = line.rbegin(); c != line.rend() && (*c == '\r' || *c == '\n'); ++c)
            *c = ' ';
        line += fmt(TwoCoverPart, {front, cmd(WordFrontCover), frontSide, prefixPercentLines_ ? prefix_ : "", back,
                                   cmd(WordBackCover), backSide});
    }
    writeLine(line);
}

int GenerationRun::chaptersBlock()
{
    std::string list = a_.chapterPages ? o_.text(Field::chapterPages) : "";
    std::string normalised = normalisePageList(list);
    if (normalised.find_first_not_of(' ') == std::string::npos) {
        writeCommand(ChaptersEmpty);
        return 0;
    }
    std::string expansion;
    if (!expand(list, false, false, expansion))
        return 1;
    writeCommand(ChapterHeading, {""});
    writeWrapped(expansion, false);
    return 0;
}

std::string GenerationRun::exceptionPaperName(int position) const
{
    std::string name = paperName(position);
    if (name.empty() || position == 1)
        name = mainName_;
    return parenthesised(translated(name));
}

int GenerationRun::exceptionsBlock()
{
    if (a_.page5Disabled || !in_.exceptions || in_.exceptions->ElementSize() < ExceptionRecord::kSize)
        return 0;
    bool first = true;
    ExceptionRecord entry;
    for (int i = 1; i <= in_.exceptions->Count(); ++i) {
        if (!in_.exceptions->Get(i, entry.bytes))
            continue;
        int position = entry.paperPosition();
        bool oneSided = readPaper(*in_.papers, position).singleSided || num(Field::plexMode) == 0;
        std::string expansion;
        if (!expand(entry.pageList(), !oneSided, false, expansion))
            return 1;
        if (expansion.empty())
            continue;
        writeCommand(first ? ExceptionFirst : ExceptionFurther,
                     {exceptionPaperName(position), cmd(oneSided ? SideOneSided : SideTwoSided), ""});
        first = false;
        writeWrapped(expansion, true);
    }
    return 0;
}

void GenerationRun::mediaListBlock()
{
    // With the exceptions tab disabled the list runs only for a pamphlet whose stored front cover
    // mode is pre-printed (whether or not its combo is enabled), and lists no exceptions.
    bool listExceptions = !a_.page5Disabled;
    if (a_.page5Disabled && !(num(Field::notPamphlet) == 0 && num(Field::frontCover) == 4))
        return;
    bool first = true;
    if (listExceptions && in_.exceptions && in_.exceptions->ElementSize() >= ExceptionRecord::kSize) {
        ExceptionRecord entry;
        for (int i = 1; i <= in_.exceptions->Count(); ++i) {
            if (!in_.exceptions->Get(i, entry.bytes))
                continue;
            std::string carets;
            expand(entry.pageList(), false, true, carets);
            if (carets.empty())
                continue;
            writeCommand(first ? MediaListFirst : Continuation, {exceptionPaperName(entry.paperPosition()), ""});
            first = false;
            writeWrapped(carets, true);
        }
    }
    for (const PendingMedia& media : pendingMedia_) {
        writeCommand(first ? MediaListFirst : Continuation, {media.name, media.flag == 0 ? "0" : cmd(PrePrintedMedia)});
        first = false;
    }
    if (first)
        writeCommand(MediaListFirst, {"", ""});
}

int GenerationRun::insertBlocks()
{
    coverBlock();
    if (num(Field::separators) != 0) {
        int index = num(Field::separatorPaper);
        std::string name = index == 0 ? mainName_ : orMain(paperName(index + 1));
        writeCommand(Separators, {name});
    } else if (postScript_) {
        writeCommand(Separators, {""});
    }
    int plex = num(Field::plexMode);
    if (plex == 3 || plex == 4)
        writeCommand(Interleaves, {mainName_, cmd(plex == 3 ? InterleaveBlank : InterleavePrinted), s_.ansi(IdsInterleaveMedia)});
    if (int result = chaptersBlock())
        return result;
    if (int result = exceptionsBlock())
        return result;
    mediaListBlock();
    return 0;
}

// The notification block is on when the job names an e-mail address: notify, with that address,
// without a reply address.
void GenerationRun::notificationBlock()
{
    std::string address = o_.text(Field::emailAddress);
    if (address.empty())
        return;
    const bool notify = true, addressFlag = true, replyFlag = false;
    const std::string reply;
    if (notify) {
        if (postScript_ && !in_.userFullName.empty())
            writeLine(s_.ansi(IdsRegisteredUser) + " " + user(in_.userFullName) + "\n", false);
        if (addressFlag)
            writeCommand(NotifyWithAddress, {translated(user(address)), cmd(NotifyValue)});
        else
            writeCommand(NotifyWithoutAddress, {cmd(NotifyValue)});
    }
    if (replyFlag)
        writeCommand(ReplyAddress, {notify ? cmd(ValueWordMode1) : "", translated(user(reply))});
    else
        writeCommand(NoReplyAddress);
}

int GenerationRun::includeFile()
{
    std::string path = o_.text(Field::customIncludeFile);
    if (path.empty())
        return 0;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    auto fail = [&] {
        if (in_.dialogs)
            in_.dialogs->messageBox(s_.text(IdsIncludeFileMissing) + "\n" + ansiToUtf8(path), MessageIcon::Stop, MessageButtons::Ok);
        return 3;
    };
    if (fd < 0)
        return fail();
    // Blocks of 255 bytes until a short one: a file whose size is a multiple of 255 ends with an
    // empty read and loses nothing.
    char block[255];
    for (;;) {
        ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return fail();
        }
        writeRaw(std::string_view(block, size_t(n)));
        if (size_t(n) < sizeof block)
            break;
    }
    ::close(fd);
    ensureNewLine();
    return 0;
}

int GenerationRun::run(const std::string& stagingPath)
{
    const int settingsMode = num(Field::settingsMode);
    if (settingsMode == 2)
        return 0;
    if (!in_.papers)
        return 4;
    const int language = num(Field::printerLanguage);
    postScript_ = language == 0;
    pcl_ = language == 1;
    g_.papers_ = in_.papers;
    g_.pclPrinter_ = pcl_;
    mainPosition_ = num(Field::paperIndex);
    main_ = readPaper(*in_.papers, mainPosition_);
    mainExists_ = mainPosition_ >= 1 && mainPosition_ <= in_.papers->Count();
    mainName_ = user(main_.name);
    const int fileLanguage = in_.fileLanguage;
    prefixPercentLines_ = fileLanguage == FileLanguagePcl;

    if (!g_.commands_.LoadCommandTable(s_, language))
        return 0;
    for (int slot : g_.commands_.rejectedSlots()) {
        if (!g_.reportedSlots_.insert({language, slot}).second || !in_.dialogs)
            continue;
        in_.dialogs->messageBox(s_.text(IdsCommandRejected) + " " + std::to_string(CommandTable::baseId(language) + slot - 1),
                                MessageIcon::Exclamation, MessageButtons::Ok);
    }
    prefix_ = fmt(PercentPrefix);
    continuationStart_ = cmd(ContinuationStart).empty() ? s_.ansi(IdsContinuation) : cmd(ContinuationStart);
    if (continuationStart_.size() > 64)
        continuationStart_.resize(64);

    fd_ = ::open(stagingPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0)
        return 4;

    const long long copies = o_.unsignedNumber(Field::copies);
    if (settingsMode == 0) {
        // Job section.
        if (fileLanguage == FileLanguagePcl)
            writeCommand(FirstLinePcl, {27});
        else
            writeLine(cmd(FirstLinePostScript));
        writeCommand(JobOpening);
        if (postScript_) {
            writeCommand(PostScriptJobLine);
            writeCommand(JobValue, {copies});
            featureBlock();
        }
        writeCommand(JobLineText, {""});
        writeCommand(FileName, {user(baseName(in_.printFilePath))});
        writeCommand(JobLine);
        writeCommand(JobValue, {copies});

        // Media section.
        featureBlock();
        if (mainExists_)
            writeCommand(MainMedia, {mainName_, sizePair(main_.sizeCode), user(weightValue(main_.weight)),
                                     user(bracketValue(main_.colour, IdsNoColour)), user(bracketValue(main_.type, IdsNoType))});
        else
            writeCommand(NoMainMedia);
        for (int position = 2; position <= in_.papers->Count(); ++position) {
            if (position == mainPosition_)
                continue;
            PaperView paper = readPaper(*in_.papers, position);
            std::string name = user(paper.name);
            if (!referenced(name))
                continue;
            writeCommand(FurtherMedia, {name, sizePair(paper.sizeCode), user(weightValue(paper.weight)),
                                        user(bracketValue(paper.colour, IdsNoColour)), user(bracketValue(paper.type, IdsNoType))});
        }
        const int plex = num(Field::plexMode);
        if (plex == 3 || plex == 4) {
            int code = main_.sizeCode < 0 || main_.sizeCode > 6 ? 0 : main_.sizeCode;
            writeCommand(FurtherMedia, {s_.ansi(IdsInterleaveMedia), sizePair(code), weightValue(s_.ansi(IdsNoWeight)),
                                        bracketValue(s_.ansi(IdsNoColour), IdsNoColour),
                                        bracketValue(s_.ansi(IdsInterleaveType), IdsNoType)});
        }
        auto jobText = [&](Field field, int slot) {
            std::string text = o_.text(field);
            if (!text.empty())
                writeCommand(slot, {translated(user(text))});
        };
        jobText(Field::jobText1041, JobText2);
        jobText(Field::jobText1040, JobText1);
        jobText(Field::jobText1074, JobText3);
        if (postScript_)
            jobText(Field::auxText, AccountText);
        if (num(Field::pageRangeActive) == 1)
            writeCommand(NumericPair, {(long long)o_.unsignedNumber(Field::fromPage), (long long)o_.unsignedNumber(Field::toPage)});

        // Timed block: the proof set.
        if (num(Field::proofSet) != 0) {
            if (pcl_) {
                int action = num(Field::proofSetAction);
                writeCommand(TimedBlock, {num(Field::proofSetMinutes) * 60LL,
                                          action == 1 ? cmd(ValueWordMode1) : action == 2 ? cmd(ValueWordMode2) : ""});
            } else {
                writeLine(s_.ansi(IdsProofSetTimed), false);
            }
        }

        // Finishing section.
        int mismatch = num(Field::mismatchHandling);
        if (mismatch >= 0 && mismatch <= 3)
            writeCommand(kMismatchSlots[mismatch]);
        writeCommand(num(Field::proofSet) != 0 ? ProofOn : ProofOff, {mainName_});
        if (int result = insertBlocks()) {
            closeFile();
            return result;
        }
        int statusIndex = num(Field::statusPaper);
        std::string statusName = statusIndex == 0 ? "" : paperName(statusIndex + 1);
        if (statusName.empty())
            statusName = orMain(paperName(mainPosition_));
        switch (num(Field::statusMode)) {
        case 0: writeCommand(StatusNone, {cmd(StatusWordMode0)}); break;
        case 1: writeCommand(StatusPage, {cmd(StatusWordMode1), statusName}); break;
        case 2: writeCommand(StatusPage, {cmd(StatusWordMode2), statusName}); break;
        case 3: writeCommand(StatusPage, {cmd(StatusWordMode3), statusName}); break;
        default: break;
        }
        if (num(Field::notPamphlet) == 0)
            writeCommand(PamphletSheets, {(num(Field::pamphletPages) + 3LL) / 4});
        if (num(Field::freeformColor) != 0 && pcl_) {
            std::string line = fmt(ColourLineStart);
            for (int i = 0; i < 8; ++i) {
                int value = num(colorMapField(i));
                if (value == 0)
                    continue;
                std::string part = " " + cmd(ColourKeyFirst + i) + " "
                                   + (value >= 1 && value <= 5 ? cmd(ValueWordFirst + value - 1) : "") + " ";
                if (line.size() + part.size() <= 255)
                    line += part;
            }
            if (!line.empty()) {
                writeLine(line);
                ensureNewLine();
            }
        } else {
            writeCommand(ColourOff);
        }
        notificationBlock();
        if (fileLanguage >= 0 && fileLanguage <= 2)
            writeCommand(fileLanguage == 0 ? FilePostScript : fileLanguage == 1 ? FilePcl : FilePdf);
        if (num(Field::headerPage) != 0) {
            int index = num(Field::headerPaper);
            std::string name = index == 0 ? paperName(mainPosition_) : paperName(index + 1);
            writeCommand(HeaderPage, {cmd(HeaderOn), parenthesised(orMain(name))});
        } else {
            writeCommand(HeaderPage, {cmd(HeaderOff), ""});
        }
        int exit = num(Field::outputExit);
        if (exit >= 0 && exit <= 6)
            writeCommand(kExitSlots[exit]);
        writeCommand(num(Field::finishChaptersSeparately) == 1 ? ChaptersSeparateOn : ChaptersSeparateOff);
    }

    // Custom text: the operator's own printer-language lines, ending with one newline.
    std::string custom = o_.text(Field::customText);
    if (!custom.empty()) {
        writeLine(custom, false);
        ensureNewLine();
    }
    if (int result = includeFile()) {
        closeFile();
        return result;
    }
    if (settingsMode == 0) {
        writeCommand(Closing1);
        writeCommand(Closing2);
        if (fileLanguage == FileLanguagePcl) {
            writeLine(cmd(Closing3Pcl));
            writeRaw("\n");
        }
    }
    closeFile();
    return writeFailed_ ? 4 : 0;
}

int CJobStreamGenerator::Generate(const GeneratorInput& input, const std::string& stagingPath)
{
    bytesWritten_ = 0;
    if (!input.options || !input.strings)
        return 4;
    try {
        GenerationRun run(*this, input);
        return run.run(stagingPath);
    } catch (const std::bad_alloc&) {
        return 1;
    }
}

int CJobStreamGenerator::Generate(const CSpxDoc& document, const std::string& printFile, const std::string& stagingPath,
                                  int fileLanguage, const ItemLockFlags& locks, IDialogs* dialogs,
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
