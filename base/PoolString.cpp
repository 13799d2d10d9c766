#include "PoolString.h"

#include <array>
#include <cstring>
#include <limits>

#include "Archive.h"
#include "MemoryPool.h"

namespace spx {

namespace {

constexpr std::array<uint8_t, 256> makeCollationTable()
{
    std::array<uint8_t, 256> table {};
    for (int i = 0; i < 256; ++i)
        table[size_t(i)] = uint8_t(i);
    for (int i = 1; i <= 31; ++i)
        table[size_t(i)] = ' ';
    table['-'] = ' ';
    table[127] = ' ';
    for (int c = 'A'; c <= 'Z'; ++c)
        table[size_t(c)] = uint8_t(c - 'A' + 'a');
    // Windows-1252 128..255: the letter each character carries, '?' for the rest.
    const char* high =
        "???f??????s?o?z?"   // 0x80..0x8F  Euro, f-hook, S-caron, OE, Z-caron
        "??????????s?o?zy"   // 0x90..0x9F  s-caron, oe, z-caron, Y-diaeresis
        "??????????a?????"   // 0xA0..0xAF  feminine ordinal
        "??????????o?????"   // 0xB0..0xBF  masculine ordinal
        "aaaaaaaceeeeiiii"   // 0xC0..0xCF
        "dnooooo?ouuuuyts"   // 0xD0..0xDF  eth, multiplication sign, thorn, sharp s
        "aaaaaaaceeeeiiii"   // 0xE0..0xEF
        "dnooooo?ouuuuyty";  // 0xF0..0xFF  division sign, thorn, y-diaeresis
    for (int i = 0; i < 128; ++i)
        table[size_t(128 + i)] = uint8_t(high[i]);
    return table;
}

constexpr std::array<uint8_t, 256> kTable = makeCollationTable();

char g_dummyByte = 0;

bool overlaps(const char* text, const char* data, uint32_t length)
{
    return data && text >= data && text <= data + length;
}

} // namespace

const uint8_t kCollationTable[256] = {
#define SPX_ROW(r) kTable[r + 0], kTable[r + 1], kTable[r + 2], kTable[r + 3], kTable[r + 4], kTable[r + 5], \
                   kTable[r + 6], kTable[r + 7], kTable[r + 8], kTable[r + 9], kTable[r + 10], kTable[r + 11], \
                   kTable[r + 12], kTable[r + 13], kTable[r + 14], kTable[r + 15]
    SPX_ROW(0), SPX_ROW(16), SPX_ROW(32), SPX_ROW(48), SPX_ROW(64), SPX_ROW(80), SPX_ROW(96), SPX_ROW(112),
    SPX_ROW(128), SPX_ROW(144), SPX_ROW(160), SPX_ROW(176), SPX_ROW(192), SPX_ROW(208), SPX_ROW(224), SPX_ROW(240),
#undef SPX_ROW
};

MemoryPool& CPoolString::pool() { return MemoryPool::global(); }

CPoolString::CPoolString() { makeEmpty(); }

CPoolString::CPoolString(const char* text)
{
    if (!text || !setBytes(text, uint32_t(std::strlen(text))))
        makeEmpty();
}

CPoolString::CPoolString(char c)
{
    if (c == 0 || !setBytes(&c, 1))
        makeEmpty();
}

CPoolString::CPoolString(const std::string& text)
{
    if (text.size() >= std::numeric_limits<uint32_t>::max() || !setBytes(text.data(), uint32_t(text.size())))
        makeEmpty();
}

CPoolString::CPoolString(const CPoolString& other)
{
    if (!setBytes(other.c_str(), other.length_))
        makeEmpty();
}

CPoolString::CPoolString(CPoolString&& other) noexcept : data_(other.data_), length_(other.length_)
{
    other.data_ = nullptr;
    other.length_ = 0;
}

CPoolString& CPoolString::operator=(const CPoolString& other)
{
    if (this != &other)
        Assign(other);
    return *this;
}

CPoolString& CPoolString::operator=(CPoolString&& other) noexcept
{
    if (this != &other) {
        std::swap(data_, other.data_);
        std::swap(length_, other.length_);
    }
    return *this;
}

CPoolString::~CPoolString()
{
    if (data_)
        pool().DisposePtr(data_);
}

void CPoolString::makeEmpty()
{
    if (!data_)
        data_ = static_cast<char*>(pool().NewPtr(1));
    else
        data_[0] = 0;   // keeps the block as it is, so the pool's error code stays to be seen
    length_ = 0;
}

bool CPoolString::resize(uint32_t length)
{
    void* block = data_;
    if (!pool().SetPtrSize(block, length + 1))
        return false;
    data_ = static_cast<char*>(block);
    data_[length] = 0;
    return true;
}

bool CPoolString::setBytes(const char* bytes, uint32_t length)
{
    // The source may be part of this string; copy it before the block moves.
    std::string copy(bytes, length);
    if (length == std::numeric_limits<uint32_t>::max() || !resize(length)) {
        makeEmpty();
        return false;
    }
    std::memcpy(data_, copy.data(), length);
    length_ = length;
    return true;
}

bool CPoolString::Assign(const CPoolString& other)
{
    if (this == &other)
        return true;
    return setBytes(other.c_str(), other.length_);
}

bool CPoolString::Assign(const char* text)
{
    if (!text)
        text = "";
    return setBytes(text, uint32_t(std::strlen(text)));
}

bool CPoolString::Append(const CPoolString& other)
{
    std::string copy = other.str();
    return Append(copy.c_str());
}

bool CPoolString::Append(const char* text)
{
    if (!text || !*text)
        return true;
    const size_t extra = std::strlen(text);
    if (uint64_t(length_) + extra >= std::numeric_limits<uint32_t>::max())
        return false;
    std::string keep;
    if (overlaps(text, data_, length_)) {
        keep.assign(text, extra);
        text = keep.c_str();
    }
    const uint32_t oldLength = length_;
    if (!resize(oldLength + uint32_t(extra))) {
        makeEmpty();
        return false;
    }
    std::memcpy(data_ + oldLength, text, extra + 1);
    length_ = oldLength + uint32_t(extra);
    return true;
}

bool CPoolString::Append(char c)
{
    if (c == 0)
        return true;
    const char text[2] = {c, 0};
    return Append(text);
}

CPoolString CPoolString::Concat(const CPoolString& a, const CPoolString& b)
{
    CPoolString result(a);
    result.Append(b);
    return result;
}

int CPoolString::Compare(const char* a, const char* b)
{
    if (!a)
        a = "";
    if (!b)
        b = "";
    for (size_t i = 0;; ++i) {
        const int ca = kCollationTable[uint8_t(a[i])];
        const int cb = kCollationTable[uint8_t(b[i])];
        if (ca != cb)
            return ca - cb;
        if (ca == 0)
            return 0;
    }
}

int CPoolString::Find(const char* text, int start) const
{
    if (!text || start < 0 || uint32_t(start) > length_)
        return -1;
    const char* hit = std::strstr(c_str() + start, text);
    return hit ? int(hit - c_str()) : -1;
}

bool CPoolString::Delete(int position, int count)
{
    if (position < 0 || uint32_t(position) >= length_)
        return false;
    if (count <= 0)
        return true;
    const uint32_t removed = std::min<uint32_t>(uint32_t(count), length_ - uint32_t(position));
    std::memmove(data_ + position, data_ + position + removed, length_ - position - removed + 1);
    length_ -= removed;
    resize(length_);   // shrinking; a failure keeps the larger block, which is harmless
    return true;
}

bool CPoolString::Insert(const char* text, int position)
{
    if (!text || !*text || position < 0 || uint32_t(position) > length_)
        return false;
    const size_t extra = std::strlen(text);
    if (uint64_t(length_) + extra >= std::numeric_limits<uint32_t>::max())
        return false;
    std::string keep(text, extra);   // the text may be part of this string
    const uint32_t oldLength = length_;
    if (!resize(oldLength + uint32_t(extra))) {
        makeEmpty();
        return false;
    }
    std::memmove(data_ + position + extra, data_ + position, oldLength - uint32_t(position));
    std::memcpy(data_ + position, keep.data(), extra);
    length_ = oldLength + uint32_t(extra);
    data_[length_] = 0;
    return true;
}

CPoolString CPoolString::Mid(int start, int count) const
{
    if (start < 0 || uint32_t(start) >= length_ || count <= 0)
        return CPoolString();
    const uint32_t taken = std::min<uint32_t>(uint32_t(count), length_ - uint32_t(start));
    return CPoolString(std::string(c_str() + start, taken));
}

char& CPoolString::At(int index)
{
    if (index < 0 || uint32_t(index) >= length_ || !data_) {
        g_dummyByte = 0;
        return g_dummyByte;
    }
    return data_[index];
}

char CPoolString::At(int index) const
{
    if (index < 0 || uint32_t(index) >= length_ || !data_)
        return 0;
    return data_[index];
}

bool CPoolString::Load(CArchive& archive)
{
    uint32_t length = 0;
    if (!archive.ReadTag("data") || !archive.ReadU32(length)
        || archive.bytes().size() - archive.readPosition() < length) {
        return false;
    }
    std::string text(length, '\0');
    archive.ReadBytes(text.data(), length);
    // A stored text never holds a zero byte; one that does is not ours.
    if (text.find('\0') != std::string::npos)
        return false;
    return setBytes(text.data(), length);
}

void CPoolString::Store(CArchive& archive) const
{
    archive.WriteTag("data");
    archive.WriteU32(length_);
    archive.WriteBytes(c_str(), length_);
}

} // namespace spx
