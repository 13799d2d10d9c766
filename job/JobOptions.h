#pragma once
// The job options record: one 7240-byte little-endian block that job files carry byte for byte,
// spares and unassigned bytes included. Every named field is described once in the field table
// below; the document's getters, setters and resets are derived from it.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace spx {

inline constexpr size_t kJobOptionsSize = 7240;

enum class FieldType { Int16, UInt32, Text };

// How a field's default is found: a plain value, or one of the rules of ResetJobOptions.
enum class DefaultRule { Value, PaperName, PamphletPages, OutputExit, Kept };

// The values a number field may take when the operator sets it.
enum class RangeRule {
    Type,            // whatever the field's type holds (fields that no page edits)
    Fixed,           // minValue..maxValue
    ByLanguage,      // minValue..maxValue for PostScript printers, minValue..maxPcl for PCL printers
    JobPaper,        // a position of the paper catalogue the job paper may take: 2..papers
    PaperChoice,     // a paper catalogue position - 1: 0..papers - 1
};

struct FieldInfo {
    std::string_view name;
    uint16_t offset;
    FieldType type;
    uint16_t width;          // bytes; for texts the buffer size (text holds width - 1 bytes)
    int32_t defaultValue;    // for Int16/UInt32 with DefaultRule::Value
    DefaultRule rule = DefaultRule::Value;
    bool cutTo260 = false;   // setter cuts the text to 260 characters first
    bool hasSetter = true;   // getters-only fields are written by resets and loads alone
    RangeRule range = RangeRule::Type;
    int32_t minValue = 0;
    int32_t maxValue = 0;
    int32_t maxPcl = 0;
};

// Field identifiers, in record order. The table `kJobFields` is indexed by them.
enum class Field : uint8_t {
    auxText, settingsMode, settingsMode2, writeDestination, destinationPrint, destinationFile,
    destinationFileName, destinationPrintNamed, destinationPrintName, printerLanguage, printerLanguage2,
    fileLanguage, fileLanguage2, legacyCopies, plexMode, collate, collateForced, paperIndex, paperIndex2,
    mismatchHandling, statusMode, statusPaper, finishChaptersSeparately, chapterPages, freeformColor,
    notPamphlet, pamphletPages, outputExit, outputExit2, stackMode, stapleMode, foldMode, frontCover,
    frontCoverPaper, backCover, backCoverPaper, headerPage, headerPageForced, headerPaper, separators,
    separatorPaper, separatorsForced, jobText1040, jobText1041, jobText1074, proofSet, proofSetMinutes,
    proofSetAction, printRange, pageRangeActive, fromPage, toPage, customIncludeFile, customText,
    customOption, paperName, catalogueSelName, catalogueSelSize, catalogueSelAttr1, catalogueSelAttr2,
    catalogueSelAttr3, colorMap0, colorMap1, colorMap2, colorMap3, colorMap4, colorMap5, colorMap6,
    colorMap7, activePage, paperCount, trimEdges, emailAddressFlag, emailAddress, copies,
    Count
};

inline constexpr size_t kFieldCount = static_cast<size_t>(Field::Count);
extern const std::array<FieldInfo, kFieldCount> kJobFields;

inline const FieldInfo& fieldInfo(Field f) { return kJobFields[static_cast<size_t>(f)]; }
std::optional<Field> fieldByName(std::string_view name);   // case-sensitive, as in the table
// What a field's range depends on: the job's printer language and its paper catalogue.
struct RangeContext {
    int printerLanguage = 0;   // 0 PostScript, otherwise PCL
    int paperCount = 0;        // entries of the paper catalogue list
};
struct ValueRange {
    int64_t minimum;
    int64_t maximum;
};
// The values a number field may be set to.
ValueRange fieldRange(Field f, const RangeContext& context);
inline Field colorMapField(int slot) { return static_cast<Field>(static_cast<int>(Field::colorMap0) + slot); }

// Little-endian access to the record; never casts the block.
class JobOptions {
public:
    JobOptions() { bytes_.fill(0); }

    int32_t number(Field f) const;               // Int16 sign-extended; UInt32 as stored (wraps to int)
    uint32_t unsignedNumber(Field f) const;      // UInt32 fields as unsigned
    void setNumber(Field f, int64_t value);      // stored truncated to the field's width
    std::string text(Field f) const;             // up to the first zero or width - 1 bytes
    void setText(Field f, std::string_view value);   // cut to width - 1, zero padded

    int16_t int16At(size_t offset) const;
    void setInt16At(size_t offset, int16_t value);
    uint32_t uint32At(size_t offset) const;
    void setUint32At(size_t offset, uint32_t value);
    void clearRange(size_t offset, size_t count);

    uint8_t* data() { return bytes_.data(); }
    const uint8_t* data() const { return bytes_.data(); }
    static constexpr size_t size() { return kJobOptionsSize; }
    bool operator==(const JobOptions& other) const { return bytes_ == other.bytes_; }

private:
    std::array<uint8_t, kJobOptionsSize> bytes_;
};

// Offsets of the unnamed parts that the resets clear or that loads replace.
namespace RecordOffset {
inline constexpr size_t paperListHandle = 6952;
inline constexpr size_t exceptionListHandle = 6956;
inline constexpr size_t outputExit = 2400;
inline constexpr size_t stackBlockBegin = 2404;   // stackMode .. separatorsForced and the words between
inline constexpr size_t stackBlockEnd = 2452;
inline constexpr size_t unassignedBlock = 806;    // 256 bytes the document never sets
inline constexpr size_t unassignedWord = 1066;
} // namespace RecordOffset

} // namespace spx
