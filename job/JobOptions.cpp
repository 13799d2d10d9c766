#include "JobOptions.h"

#include <algorithm>
#include <cstring>

#include "LittleEndian.h"

namespace spx {

namespace {
using T = FieldType;
using R = DefaultRule;

constexpr FieldInfo i16(std::string_view name, uint16_t offset, int32_t def = 0)
{
    return {name, offset, T::Int16, 2, def};
}
constexpr FieldInfo u32(std::string_view name, uint16_t offset, int32_t def = 0)
{
    return {name, offset, T::UInt32, 4, def};
}
constexpr FieldInfo text(std::string_view name, uint16_t offset, uint16_t width = 256, bool cut = false)
{
    return {name, offset, T::Text, width, 0, R::Value, cut};
}
constexpr FieldInfo withRule(FieldInfo f, DefaultRule rule) { f.rule = rule; return f; }
constexpr FieldInfo ranged(FieldInfo f, int32_t minimum, int32_t maximum)
{
    f.range = RangeRule::Fixed;
    f.minValue = minimum;
    f.maxValue = maximum;
    return f;
}
// A check box: 0 or 1.
constexpr FieldInfo flag(FieldInfo f) { return ranged(f, 0, 1); }
// The index of a drop-down list of `entries` entries.
constexpr FieldInfo choice(FieldInfo f, int32_t entries) { return ranged(f, 0, entries - 1); }
constexpr FieldInfo byLanguage(FieldInfo f, int32_t minimum, int32_t maxPostScript, int32_t maxPcl)
{
    f = ranged(f, minimum, maxPostScript);
    f.range = RangeRule::ByLanguage;
    f.maxPcl = maxPcl;
    return f;
}
constexpr FieldInfo paper(FieldInfo f, RangeRule rule) { f.range = rule; return f; }

// The limits of the option pages' edits.
constexpr int32_t kMaxCopiesPostScript = 99999;
constexpr int32_t kMaxCopiesPcl = 65535;
constexpr int32_t kMinPamphletPages = 4;
constexpr int32_t kMaxPamphletPagesPostScript = 999;   // three digits
constexpr int32_t kMaxPamphletPagesPcl = 120;
constexpr int32_t kMaxPageNumber = 99999;               // five digits; 0 is an empty edit
constexpr int32_t kMaxProofMinutes = 60;
constexpr int32_t kLastPage = 6;                        // the seven option pages
constexpr FieldInfo readOnly(FieldInfo f) { f.hasSetter = false; return f; }
} // namespace

// Name, offset, type, width and default of every named field, in record order.
const std::array<FieldInfo, kFieldCount> kJobFields = {{
    text("auxText", 0),
    choice(i16("settingsMode", 258), 3),
    i16("settingsMode2", 260),
    flag(i16("writeDestination", 262, 1)),
    flag(i16("destinationPrint", 266, 1)),
    flag(i16("destinationFile", 274)),
    text("destinationFileName", 278, 256, true),
    flag(i16("destinationPrintNamed", 536)),
    text("destinationPrintName", 540, 256, true),
    choice(i16("printerLanguage", 798), 2),
    i16("printerLanguage2", 800),
    choice(i16("fileLanguage", 802), 3),
    i16("fileLanguage2", 804),
    i16("legacyCopies", 1064),
    choice(i16("plexMode", 1068), 6),
    flag(i16("collate", 1072, 1)),
    flag(i16("collateForced", 1074)),
    paper(withRule(i16("paperIndex", 1076, 2), R::PaperName), RangeRule::JobPaper),
    i16("paperIndex2", 1078),
    choice(i16("mismatchHandling", 1084), 4),
    choice(i16("statusMode", 1088), 4),
    paper(i16("statusPaper", 1092), RangeRule::PaperChoice),
    flag(i16("finishChaptersSeparately", 1096)),
    text("chapterPages", 1100, 1028),
    flag(i16("freeformColor", 2130, 1)),
    flag(i16("notPamphlet", 2134, 1)),
    byLanguage(withRule(i16("pamphletPages", 2138, 88), R::PamphletPages), kMinPamphletPages,
               kMaxPamphletPagesPostScript, kMaxPamphletPagesPcl),
    choice(withRule(i16("outputExit", 2400, 4), R::OutputExit), 7),
    withRule(i16("outputExit2", 2402), R::Kept),
    choice(i16("stackMode", 2404), 2),
    choice(i16("stapleMode", 2408), 6),
    choice(i16("foldMode", 2412), 3),
    choice(i16("frontCover", 2416), 5),
    paper(i16("frontCoverPaper", 2420), RangeRule::PaperChoice),
    choice(i16("backCover", 2424), 5),
    paper(i16("backCoverPaper", 2428), RangeRule::PaperChoice),
    flag(i16("headerPage", 2432)),
    flag(i16("headerPageForced", 2434)),
    paper(i16("headerPaper", 2436), RangeRule::PaperChoice),
    flag(i16("separators", 2440)),
    paper(i16("separatorPaper", 2444), RangeRule::PaperChoice),
    flag(i16("separatorsForced", 2446)),
    text("jobText1040", 2452, 256, true),
    text("jobText1041", 2710, 256, true),
    text("jobText1074", 2968, 256, true),
    flag(i16("proofSet", 3226)),
    ranged(i16("proofSetMinutes", 3230, 5), 1, kMaxProofMinutes),
    ranged(i16("proofSetAction", 3234, 2), 1, 2),   // the action list's index + 1
    flag(i16("printRange", 3238, 1)),
    flag(i16("pageRangeActive", 3242)),
    ranged(u32("fromPage", 3248), 0, kMaxPageNumber),
    ranged(u32("toPage", 3256), 0, kMaxPageNumber),
    text("customIncludeFile", 3264),
    text("customText", 3522),
    flag(i16("customOption", 3780)),
    readOnly(withRule(text("paperName", 3784), R::PaperName)),
    readOnly(text("catalogueSelName", 5868)),
    readOnly(i16("catalogueSelSize", 6126)),
    readOnly(text("catalogueSelAttr1", 6130)),
    readOnly(text("catalogueSelAttr2", 6388)),
    readOnly(text("catalogueSelAttr3", 6646)),
    choice(i16("colorMap0", 6916), 6),
    choice(i16("colorMap1", 6920), 6),
    choice(i16("colorMap2", 6924), 6),
    choice(i16("colorMap3", 6928), 6),
    choice(i16("colorMap4", 6932), 6),
    choice(i16("colorMap5", 6936), 6),
    choice(i16("colorMap6", 6940), 6),
    choice(i16("colorMap7", 6944), 6),
    ranged(u32("activePage", 6960, 1), 0, kLastPage),
    readOnly(u32("paperCount", 6964)),
    flag(i16("trimEdges", 6968)),
    i16("emailAddressFlag", 6970),
    text("emailAddress", 6972, 256, true),
    byLanguage(u32("copies", 7232, 1), 1, kMaxCopiesPostScript, kMaxCopiesPcl),
}};

std::optional<Field> fieldByName(std::string_view name)
{
    for (size_t i = 0; i < kJobFields.size(); ++i)
        if (kJobFields[i].name == name)
            return static_cast<Field>(i);
    return std::nullopt;
}

ValueRange fieldRange(Field f, const RangeContext& context)
{
    const FieldInfo& info = fieldInfo(f);
    switch (info.range) {
    case RangeRule::Fixed:
        return {info.minValue, info.maxValue};
    case RangeRule::ByLanguage:
        return {info.minValue, context.printerLanguage == 0 ? info.maxValue : info.maxPcl};
    case RangeRule::JobPaper:
        return {2, context.paperCount};
    case RangeRule::PaperChoice:
        return {0, int64_t(context.paperCount) - 1};
    case RangeRule::Type:
        break;
    }
    if (info.type == FieldType::UInt32)
        return {0, UINT32_MAX};
    return {INT16_MIN, INT16_MAX};
}

int16_t JobOptions::int16At(size_t offset) const { return le::i16At(bytes_.data() + offset); }

void JobOptions::setInt16At(size_t offset, int16_t value) { le::putI16(bytes_.data() + offset, value); }

uint32_t JobOptions::uint32At(size_t offset) const { return le::u32At(bytes_.data() + offset); }

void JobOptions::setUint32At(size_t offset, uint32_t value) { le::putU32(bytes_.data() + offset, value); }

void JobOptions::clearRange(size_t offset, size_t count)
{
    std::memset(bytes_.data() + offset, 0, std::min(count, kJobOptionsSize - std::min(offset, kJobOptionsSize)));
}

int32_t JobOptions::number(Field f) const
{
    const FieldInfo& info = fieldInfo(f);
    return info.type == FieldType::Int16 ? int16At(info.offset) : int32_t(uint32At(info.offset));
}

uint32_t JobOptions::unsignedNumber(Field f) const
{
    const FieldInfo& info = fieldInfo(f);
    return info.type == FieldType::Int16 ? uint32_t(int32_t(int16At(info.offset))) : uint32At(info.offset);
}

void JobOptions::setNumber(Field f, int64_t value)
{
    const FieldInfo& info = fieldInfo(f);
    if (info.type == FieldType::Int16)
        setInt16At(info.offset, int16_t(uint16_t(uint64_t(value) & 0xFFFF)));
    else if (info.type == FieldType::UInt32)
        setUint32At(info.offset, uint32_t(uint64_t(value) & 0xFFFFFFFFu));
}

std::string JobOptions::text(Field f) const
{
    const FieldInfo& info = fieldInfo(f);
    const char* start = reinterpret_cast<const char*>(bytes_.data() + info.offset);
    // A field without its terminating zero (from a foreign file) is read up to width - 1 bytes.
    size_t length = strnlen(start, size_t(info.width) - 1);
    return std::string(start, length);
}

void JobOptions::setText(Field f, std::string_view value)
{
    const FieldInfo& info = fieldInfo(f);
    size_t length = std::min(value.size(), size_t(info.width) - 1);
    std::memset(bytes_.data() + info.offset, 0, info.width);
    std::memcpy(bytes_.data() + info.offset, value.data(), length);
}

} // namespace spx
