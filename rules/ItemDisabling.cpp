#include "rules/ItemDisabling.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <cstring>

#include "Configuration.h"
#include "StringTable.h"
#include "rules/JobSetupRules.h"

namespace spx {

namespace {

struct NameRow {
    std::string_view name;
    int value;
};

// In this order; duplicate names and shared values stand as they are, the first row of a name wins.
constexpr NameRow kNameTable[] = {
    {"IDS_PRINTER_ORION", 118}, {"IDS_PRINTER_VEGA", 119}, {"IDS_PRINTER_LYRA", 120},
    {"IDS_PRINTER_VEGA2", 159}, {"IDS_PRINTER_OTHER", 1029}, {"IDS_PRINTER_CETUS", 347},
    {"IDS_PRINTER_DRACO", 349}, {"IDS_PRINTER_PAVO", 350}, {"IDC_COMBO_FRONT_COVER", 1024},
    {"IDC_COMBO_FRONT_COVER_PAPER", 1025}, {"IDC_STATIC_FRONT_COVER", 1046},
    {"IDC_STATIC_OUTPUT_DEVICE", 1047}, {"IDC_STATIC_FRONT_COVER_PAPER", 1047},
    {"IDC_EDIT_NUMBER_COPIES", 2612}, {"IDC_COMBO_PRINTING_MODE", 1152}, {"IDC_CHECK_COLLATE", 1092},
    {"IDC_RADIO_PRINT_RANGE", 1059}, {"IDC_RADIO_PRINT_RANGE_FROM", 1060}, {"IDC_EDIT_FROM", 1084},
    {"IDC_EDIT_TO", 1085}, {"IDC_STATIC_TO", 1086}, {"IDC_STATIC_PRINTER_SETUP_GROUPBOX", 2614},
    {"IDC_STATIC_MISMATCH_HANDLING", 2633}, {"IDC_COMBO_MISMATCH_HANDLING", 1011},
    {"IDC_STATIC_STATUS_MODE", 1149}, {"IDC_STATIC_STATUS_PAGE_PAPER", 1150}, {"IDC_COMBO_STATUS_MODE", 1005},
    {"IDC_COMBO_STATUS_PAPER", 1118}, {"IDC_CHECK_HEADER_PAGE", 1095}, {"IDC_CHECK_HEADER_PAGE", 1095},
    {"IDC_STATIC_HEADER_PAPER", 1140}, {"IDC_COMBO_HEADER_PAPER", 1013}, {"IDC_CHECK_SET_SEPARATORS", 1096},
    {"IDC_STATIC_SEPAR_PAPER", 1141}, {"IDC_COMBO_SEPAR_PAPER", 1014}, {"IDC_CHECK_FREEFORM_COLOR", 1094},
    {"IDC_STATIC_PROOF_MODE", 1079}, {"IDC_CHECK_PRINT_PROOF_SET", 1097},
    {"IDC_STATIC_FINSHING_SETUP_GROUPBOX", 2626}, {"IDC_STATIC_EXIT", 1151}, {"IDC_COMBO_EXIT_MODE", 1017},
    {"IDC_STATIC_STACKING_MODE", 1142}, {"IDC_COMBO_STACK_MODE", 1018}, {"IDC_STATIC_STAPLING_MODE", 1143},
    {"IDC_COMBO_STAPLE_MODE", 1019}, {"IDC_STATIC_FOLD_MODE", 1045}, {"IDC_COMBO_FOLD_MODE", 1020},
    {"IDC_COMBO_PRINTER_LANGUAGE", 1066}, {"IDC_STATIC_CHAPTER_PAGES", 1144},
    {"IDC_EDIT_CHAPTER_PAGES_LIST", 1062}, {"IDC_CHECK_FINISH_CHAPTERS_SEPARATELY", 1093},
    {"IDC_CHECK_VALIDATE_FILE", 1058}, {"IDC_COMBO_FRONT_COVER", 1024}, {"IDC_STATIC_FRONT_COVER_PAPER", 1047},
    {"IDC_COMBO_FRONT_COVER_PAPER", 1025}, {"IDC_STATIC_BACK_COVER", 1124}, {"IDC_COMBO_BACK_COVER", 1123},
    {"IDC_STATIC_BACK_COVER_PAPER", 1125}, {"IDC_COMBO_BACK_COVER_PAPER", 1119}, {"IDS_3_LEFT_EDGE", 53},
    {"IDS_SADDLE_STITCH", 54}, {"IDS_Check_On", 128}, {"IDS_Check_Off", 129},
    {"IDD_TAB_PAPER_EXCEPTIONS", 103}, {"IDD_TAB_PRINTER_SELECT", 113}, {"IDD_TAB_JOB_SETUP", 2617},
    {"IDD_TAB_JOB_SETUP2", 2611}, {"IDD_TAB_CUSTOM_OPTIONS", 160}, {"IDD_TAB_FILE_SELECT", 211},
    {"IDD_TAB_COLOR_MAPPING", 105}, {"IDC_CHECK_TRIM_EDGES", 1095}, {"IDS_Covers_PrintSide2", 76},
    {"IDS_Covers_PrintBothSides", 77}, {"IDS_Covers_PrePrintedBlank", 78}, {"IDS_Covers_PrintSide1", 72},
    {"IDS_Covers_None", 67}, {"IDS_Exit_TopExit", 66}, {"IDS_Exit_Stapler", 65}, {"IDS_Exit_Stacker", 64},
    {"IDS_Exit_SideExit", 63}, {"IDS_Exit_PostProcessor", 62}, {"IDS_Exit_Finisher", 61},
    {"IDS_Exit_BookletMaker", 60}, {"IDS_PMode_Simplex", 79}, {"IDS_PMode_Duplex", 281},
    {"IDS_PMode_TumbledDuplex", 282}, {"IDS_PMode_InterleavesBlank", 283},
    {"IDS_PMode_InterleavesPrinted", 99}, {"IDS_PMode_Pamphlets", 100}, {"IDS_Status_None", 101},
    {"IDS_Status_OnlyOnError", 102}, {"IDS_Status_Always", 121}, {"IDS_Status_SinglePage", 122},
    {"IDS_Mismatch_AutoSub", 123}, {"IDS_Mismatch_NotifySub", 124}, {"IDS_Mismatch_NotifyWait", 125},
    {"IDS_Mismatch_CancelJob", 126}, {"IDS_FType_AdobePostscipt", 130}, {"IDS_FType_PclFiles", 131},
    {"IDS_FType_PrintFiles", 132}, {"IDS_Stapler_Top", 285}, {"IDS_Stapler_Bottom", 289},
    {"IDS_Stapler_None", 288}, {"IDS_Stapler_2LeftEdge", 284}, {"IDS_Stapler_3LeftEdge", 287},
    {"IDS_Stapler_SaddleStitch", 286}, {"IDS_Folding_None", 57645}, {"IDS_Folding_ZFold", 57646},
    {"IDS_Folding_SaddleFold", 57647}, {"IDC_COMBO_PROOF_SET_ACTION", 1063}, {"IDC_COMBO_STAPLE_MODE", 1019},
    {"IDC_EDIT_EMAIL", 1075}, {"IDC_STATIC_EMAIL", 2631}, {"IDS_Language_ps", 150}, {"IDS_Language_pcl", 151},
    {"IDS_Language_pdf", 152},
};

constexpr std::string_view kPrinterKey = "WPrinterID";

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// The decimal number a value starts with, as the C library reads it: spaces, a sign, digits.
int leadingDecimal(std::string_view s)
{
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        negative = s[i++] == '-';
    int64_t value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        value = std::min<int64_t>(value * 10 + (s[i] - '0'), 0x7fffffff);
    return int(negative ? -value : value);
}

// A control or tab: a number, or when the value does not start with a nonzero number, a name.
int idValue(std::string_view value)
{
    const int number = leadingDecimal(value);
    return number != 0 ? number : NameToId(trimmed(value));
}

// A list entry: a number, or the position that the string of a name holds.
int itemValue(std::string_view part, const StringTable& strings)
{
    const int number = leadingDecimal(part);
    if (number != 0)
        return number;
    const int id = NameToId(trimmed(part));
    return id == 0 ? 0 : leadingDecimal(strings.text(id));
}

bool isUtf8(std::string_view s)
{
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : 9;
        if (extra == 9 || (extra == 1 && c < 0xC2) || (extra == 3 && c > 0xF4))
            return false;
        if (extra > 0 && i + extra >= s.size())
            return false;
        uint32_t code = extra == 0 ? c : c & (0x3F >> extra);
        for (size_t k = 1; k <= extra; ++k) {
            const auto t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (t & 0x3F);
        }
        if ((extra == 2 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) || (extra == 3 && (code < 0x10000 || code > 0x10FFFF)))
            return false;
        i += extra + 1;
    }
    return true;
}

// One statement after the line checks: opens a block or sets a field of the current entry.
class RulesParser {
public:
    RulesParser(std::vector<PrinterBlock>& blocks, const StringTable& strings) : blocks_(blocks), strings_(strings) {}

    // An empty reason means the line was taken.
    std::string statement(std::string_view line)
    {
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            return "a statement needs \"=\" between key and value";
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        if (key == kPrinterKey)
            return openBlock(value);
        if (blocks_.empty())
            return "a rule before the first WPrinterID line";
        if (equalsIgnoringCase(key, "WCtrlID"))
            return startEntry(value);
        const bool known = equalsIgnoringCase(key, "WTabID") || equalsIgnoringCase(key, "Type")
                           || equalsIgnoringCase(key, "State") || equalsIgnoringCase(key, "DisabledItems");
        if (!known)
            return "unknown key " + std::string(key);
        if (blocks_.back().entries.empty())
            return "a rule before the block's first WCtrlID line";
        setField(key, value, blocks_.back().entries.back());
        return {};
    }

private:
    std::string openBlock(std::string_view value)
    {
        if (int(blocks_.size()) >= ItemRules::kMaxBlocks)
            return "more than " + std::to_string(ItemRules::kMaxBlocks) + " printer blocks";
        const std::string name = strings_.text(NameToId(value.substr(0, 256)));
        if (name.empty())
            return "unknown printer model " + std::string(value.substr(0, 256));
        blocks_.push_back({name, {}});
        return {};
    }

    std::string startEntry(std::string_view value)
    {
        auto& entries = blocks_.back().entries;
        if (int(entries.size()) >= ItemRules::kMaxEntries)
            return "more than " + std::to_string(ItemRules::kMaxEntries) + " controls in one printer block";
        RuleEntry entry;
        entry.name = std::string(value);
        entry.controlId = idValue(value);
        entries.push_back(std::move(entry));
        return {};
    }

    void setField(std::string_view key, std::string_view value, RuleEntry& entry) const
    {
        if (equalsIgnoringCase(key, "WTabID"))
            entry.tabId = idValue(value);
        else if (equalsIgnoringCase(key, "Type"))
            entry.type = leadingDecimal(value);
        else if (equalsIgnoringCase(key, "State"))
            entry.state = leadingDecimal(value);
        else
            setItems(value, entry);
    }

    void setItems(std::string_view value, RuleEntry& entry) const
    {
        entry.items.clear();
        if (equalsIgnoringCase(value, "All")) {
            entry.itemCount = -1;
            return;
        }
        if (equalsIgnoringCase(value, "None")) {
            entry.itemCount = 0;
            return;
        }
        size_t start = 0;
        while (true) {
            const size_t comma = value.find(',', start);
            entry.items.push_back(itemValue(value.substr(start, comma - start), strings_));
            if (comma == std::string_view::npos)
                break;
            start = comma + 1;
        }
        entry.itemCount = int(entry.items.size());
    }

    std::vector<PrinterBlock>& blocks_;
    const StringTable& strings_;
};

bool readRulesFile(const std::string& path, std::string& content, RulesError& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || size_t(st.st_size) > ItemRules::kMaxFileSize) {
        const bool tooLarge = fd >= 0 && S_ISREG(st.st_mode) && size_t(st.st_size) > ItemRules::kMaxFileSize;
        error = {0, tooLarge ? "the file is larger than 1 MB"
                    : fd < 0 ? std::string("the file cannot be opened: ") + std::strerror(errno)
                             : "not a regular file"};
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    content.resize(size_t(st.st_size));
    size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::read(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += size_t(n);
    }
    ::close(fd);
    content.resize(done);
    return true;
}

bool* lockFlag(ItemLockFlags& locks, int controlId)
{
    switch (controlId) {
    case ids::IDC_COMBO_FRONT_COVER: return &locks.frontCover;
    case ids::IDC_COMBO_FRONT_COVER_PAPER: return &locks.frontCoverPaper;
    case ids::IDC_COMBO_BACK_COVER: return &locks.backCover;
    case ids::IDC_COMBO_BACK_COVER_PAPER: return &locks.backCoverPaper;
    case ids::IDC_COMBO_STAPLE_MODE: return &locks.stapleMode;
    case ids::IDC_COMBO_FOLD_MODE: return &locks.foldMode;
    case ids::IDC_COMBO_STACK_MODE: return &locks.stackMode;
    case ids::IDC_EDIT_CHAPTER_PAGES_LIST: return &locks.chapterPages;
    case ids::IDC_CHECK_FINISH_CHAPTERS_SEPARATELY: return &locks.finishChapters;
    case ids::IDC_COMBO_STATUS_PAPER: return &locks.statusPaper;
    default: return nullptr;
    }
}

ControlState* findControl(int id, PageModel& page, JobSetupModels* jobSetup)
{
    if (page.has(id))
        return &page.control(id);
    if (jobSetup && jobSetup->setup2.has(id))
        return &jobSetup->setup2.control(id);
    if (jobSetup && jobSetup->setup.has(id))
        return &jobSetup->setup.control(id);
    return nullptr;
}

void applyEntry(const RuleEntry& entry, ControlState& control)
{
    if (entry.type == int(RuleControlType::DropDown)) {
        control.entryEnabled.assign(control.entryEnabled.size(), entry.itemCount != -1);
        for (int item : entry.items)
            if (item >= 0 && size_t(item) < control.entryEnabled.size())
                control.entryEnabled[size_t(item)] = false;
    } else if (entry.type == int(RuleControlType::CheckBox) && entry.itemCount >= 1
               && entry.controlId != ids::IDC_CHECK_FREEFORM_COLOR) {
        control.checked = entry.items.front() == 0;
    }
    control.enabled = entry.state != 0;
}

} // namespace

int NameToId(std::string_view name)
{
    for (const NameRow& row : kNameTable)
        if (row.name == name)
            return row.value;
    return 0;
}

int nameTableRowCount()
{
    return int(std::size(kNameTable));
}

bool ItemRules::LoadRules(const std::string& path, const StringTable& strings, RulesError& error)
{
    blocks_.clear();
    std::string content;
    return readRulesFile(path, content, error) && parse(content, strings, error);
}

// Lines end at CR or LF; a CR LF pair counts as one line for the line numbers of the messages.
bool ItemRules::parse(std::string_view content, const StringTable& strings, RulesError& error)
{
    blocks_.clear();
    RulesParser parser(blocks_, strings);
    int lineNumber = 0;
    size_t pos = 0;
    while (pos < content.size()) {
        size_t end = content.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = content.size();
        const std::string_view line = content.substr(pos, end - pos);
        ++lineNumber;
        pos = end + (content.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        std::string reason;
        if (line.size() > kMaxLineLength)
            reason = "the line is longer than " + std::to_string(kMaxLineLength) + " characters";
        else if (!isUtf8(line))
            reason = "the line is not UTF-8 text";
        else if (!line.empty() && line.front() != ';' && line.front() != 'M')
            reason = parser.statement(line);
        if (!reason.empty()) {
            error = {lineNumber, reason};
            blocks_.clear();
            return false;
        }
    }
    return true;
}

const PrinterBlock* ItemRules::blockFor(std::string_view printerName) const
{
    for (const PrinterBlock& block : blocks_)
        if (block.printerName == printerName)
            return &block;
    return nullptr;
}

std::string describe(const RulesError& error)
{
    return error.line > 0 ? "line " + std::to_string(error.line) + ": " + error.reason : error.reason;
}

int printerModelStringId(int printerLanguage)
{
    constexpr int kModelStrings[] = {120, 1029};
    return printerLanguage >= 0 && printerLanguage < 2 ? kModelStrings[printerLanguage] : 0;
}

bool ItemDisabling::ApplyRules(int tabId, PageModel& page, JobSetupModels* jobSetup, int printerLanguage,
                               const StringTable& strings)
{
    const int modelString = printerModelStringId(printerLanguage);
    const PrinterBlock* block = modelString ? rules.blockFor(strings.text(modelString)) : nullptr;
    if (!block)
        return true;
    lastAppliedBlock = block->printerName;
    bool allFound = true;
    for (const RuleEntry& entry : block->entries) {
        if (entry.tabId != tabId)
            continue;
        ControlState* control = findControl(entry.controlId, page, jobSetup);
        if (!control) {
            allFound = false;
            continue;
        }
        applyEntry(entry, *control);
        if (bool* lock = lockFlag(locks, entry.controlId))
            *lock = entry.state != 0;
    }
    return allFound;
}

AppliedRules applyRulesToJob(ItemDisabling& disabling, JobSetupModels& models, const JobOptions& options,
                             const StringTable& strings)
{
    const int language = options.number(Field::printerLanguage);
    AppliedRules result;
    models = jobSetupRules(options, disabling.locks);
    // The pages refresh in this order; the custom options and file selection pages have no
    // model of their own yet, so their rules reach only the job setup pages' controls.
    PageModel customOptions(ids::IDD_TAB_CUSTOM_OPTIONS);
    PageModel fileSelect(ids::IDD_TAB_FILE_SELECT);
    const std::pair<int, PageModel*> pages[] = {{ids::IDD_TAB_JOB_SETUP, &models.setup},
                                                {ids::IDD_TAB_JOB_SETUP2, &models.setup2},
                                                {ids::IDD_TAB_CUSTOM_OPTIONS, &customOptions},
                                                {ids::IDD_TAB_FILE_SELECT, &fileSelect}};
    for (auto [tabId, page] : pages)
        result.allFound &= disabling.ApplyRules(tabId, *page, &models, language, strings);
    reapplyLockedControls(models, options, disabling.locks);
    result.locks = disabling.locks;
    return result;
}

ItemLockFlags itemLocksForJob(const ItemRules& rules, const JobOptions& options, const StringTable& strings)
{
    ItemDisabling disabling;
    disabling.rules = rules;
    JobSetupModels models;
    return applyRulesToJob(disabling, models, options, strings).locks;
}

std::string rulesFileMessage(const StringTable& strings, const RulesError& error)
{
    return strings.text(IdsRulesFileBroken) + strings.text(IdsItemDisablingFile) + strings.text(IdsRulesFileBrokenEnd)
           + describe(error);
}

bool itemLocksFromConfiguration(const Configuration& config, const JobOptions& options, ItemLockFlags& locks,
                                std::string& message)
{
    ItemRules rules;
    RulesError error;
    if (!rules.LoadRules(config.itemDisablingPath(), config.strings, error)) {
        message = rulesFileMessage(config.strings, error);
        return false;
    }
    locks = itemLocksForJob(rules, options, config.strings);
    return true;
}

} // namespace spx
