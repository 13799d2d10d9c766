#pragma once
// The paper record: one entry of the paper catalogue list (1028 bytes, fixed layout).

#include <cstdint>
#include <cstring>
#include <string>

#include "LittleEndian.h"

namespace spx {

struct PaperRecord {
    static constexpr size_t kSize = 1028;
    static constexpr size_t kTextSize = 256;
    static constexpr size_t kNameOffset = 0, kSizeCodeOffset = 256, kAttribute1Offset = 258,
                            kAttribute2Offset = 514, kAttribute3Offset = 770, kSingleSidedOffset = 1026;

    uint8_t bytes[kSize] = {};

    std::string name() const { return textAt(kNameOffset); }
    int16_t sizeCode() const { return int16At(kSizeCodeOffset); }
    std::string attribute(int which) const { return textAt(attributeOffset(which)); }   // 1..3
    int16_t singleSided() const { return int16At(kSingleSidedOffset); }

    void setName(const std::string& v) { setTextAt(kNameOffset, v); }
    void setSizeCode(int16_t v) { setInt16At(kSizeCodeOffset, v); }
    void setAttribute(int which, const std::string& v) { setTextAt(attributeOffset(which), v); }
    void setSingleSided(int16_t v) { setInt16At(kSingleSidedOffset, v); }

    static size_t attributeOffset(int which) { return which == 1 ? kAttribute1Offset : which == 2 ? kAttribute2Offset : kAttribute3Offset; }

    std::string textAt(size_t offset) const
    {
        const char* start = reinterpret_cast<const char*>(bytes + offset);
        return std::string(start, strnlen(start, kTextSize - 1));
    }
    void setTextAt(size_t offset, const std::string& v)
    {
        std::memset(bytes + offset, 0, kTextSize);
        std::memcpy(bytes + offset, v.data(), v.size() < kTextSize - 1 ? v.size() : kTextSize - 1);
    }
    int16_t int16At(size_t offset) const { return le::i16At(bytes + offset); }
    void setInt16At(size_t offset, int16_t v) { le::putI16(bytes + offset, v); }
};

// One entry of the paper exception list (516 bytes).
struct ExceptionRecord {
    static constexpr size_t kSize = 516;
    static constexpr size_t kNameOffset = 0, kPagesOffset = 256, kPositionOffset = 512, kKindOffset = 514;

    uint8_t bytes[kSize] = {};

    std::string paperName() const { return textAt(kNameOffset); }
    std::string pageList() const { return textAt(kPagesOffset); }
    int16_t paperPosition() const { return le::i16At(bytes + kPositionOffset); }
    int16_t kind() const { return le::i16At(bytes + kKindOffset); }

    void setPaperName(const std::string& v) { setTextAt(kNameOffset, v); }
    void setPageList(const std::string& v) { setTextAt(kPagesOffset, v); }
    void setPaperPosition(int16_t v) { le::putI16(bytes + kPositionOffset, v); }
    void setKind(int16_t v) { le::putI16(bytes + kKindOffset, v); }

private:
    std::string textAt(size_t offset) const
    {
        const char* start = reinterpret_cast<const char*>(bytes + offset);
        return std::string(start, strnlen(start, 255));
    }
    void setTextAt(size_t offset, const std::string& v)
    {
        std::memset(bytes + offset, 0, 256);
        std::memcpy(bytes + offset, v.data(), v.size() < 255 ? v.size() : 255);
    }
};

static_assert(sizeof(PaperRecord) == PaperRecord::kSize);
static_assert(sizeof(ExceptionRecord) == ExceptionRecord::kSize);

} // namespace spx
