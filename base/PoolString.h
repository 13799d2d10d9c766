#pragma once
// The program's growable string: a zero-terminated text in a memory-pool pointer block plus its
// length. A string always owns a block (an empty one holds just the terminator); when the pool
// has no memory left the string is left empty and the pool keeps the error code.

#include <cstdint>
#include <string>

namespace spx {

class CArchive;
class MemoryPool;

// Byte -> comparison value: control characters, hyphen and DEL compare as a space, letters
// without regard to case, and the Windows-1252 letters 128..255 as their unaccented lower-case
// letter ('?' for everything that is not a letter).
extern const uint8_t kCollationTable[256];

class CPoolString {
public:
    CPoolString();
    explicit CPoolString(const char* text);   // null gives the empty string
    explicit CPoolString(char c);             // 0 gives the empty string
    explicit CPoolString(const std::string& text);
    CPoolString(const CPoolString& other);
    CPoolString(CPoolString&& other) noexcept;
    CPoolString& operator=(const CPoolString& other);
    CPoolString& operator=(CPoolString&& other) noexcept;
    ~CPoolString();

    const char* c_str() const { return data_ ? data_ : ""; }
    std::string str() const { return std::string(c_str(), length_); }
    uint32_t Length() const { return length_; }
    bool IsEmpty() const { return length_ == 0; }

    bool Assign(const CPoolString& other);
    bool Assign(const char* text);
    bool Append(const CPoolString& other);
    bool Append(const char* text);
    bool Append(char c);
    static CPoolString Concat(const CPoolString& a, const CPoolString& b);

    // Difference of the first differing bytes after the collation table, 0 when equal.
    static int Compare(const char* a, const char* b);
    int Compare(const CPoolString& other) const { return Compare(c_str(), other.c_str()); }

    // Offset of the first occurrence of `text` at or after `start`, or -1.
    int Find(const char* text, int start = 0) const;
    // Removes up to `count` bytes at `position` (0-based); false for a position outside the text.
    bool Delete(int position, int count);
    // Inserts a non-empty text at 0 <= position <= Length().
    bool Insert(const char* text, int position);
    // At most `count` bytes from `start`; empty when `start` is outside the text or count <= 0.
    CPoolString Mid(int start, int count) const;
    // The byte at `index`; outside the text a shared dummy byte (reads as 0), so that a write
    // through a bad index, or over the terminator, harms nothing.
    char& At(int index);
    char At(int index) const;

    bool Load(CArchive& archive);
    void Store(CArchive& archive) const;

private:
    bool setBytes(const char* bytes, uint32_t length);
    bool resize(uint32_t length);
    void makeEmpty();
    static MemoryPool& pool();

    char* data_ = nullptr;
    uint32_t length_ = 0;
};

inline bool operator==(const CPoolString& a, const CPoolString& b)
{
    return a.Length() == b.Length() && a.str() == b.str();
}

} // namespace spx
