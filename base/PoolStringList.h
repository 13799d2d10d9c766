#pragma once
// An ordered list of texts packed into one relocatable memory-pool block: a 16-bit entry count,
// then each entry as a 16-bit length and its bytes. A read cursor makes walking the list in
// order cheap. Positions are 1-based.

#include <cstdint>
#include <string>

#include "MemoryPool.h"

namespace spx {

class CArchive;

class CPoolStringList {
public:
    static constexpr uint32_t kMaxEntryLength = 0xFFFF;
    static constexpr uint32_t kMaxCount = 0xFFFF;
    // Texts handed out by Get live in one process-wide ring of this size.
    static constexpr uint32_t kRingSize = 0x10000;
    static constexpr uint32_t kRingLimit = 65530;          // a copy never passes this offset
    static constexpr uint32_t kMaxReturnedLength = 65529;  // longer entries are cut on Get

    explicit CPoolStringList(MemoryPool* pool = nullptr);
    CPoolStringList(const CPoolStringList& other);
    CPoolStringList& operator=(const CPoolStringList& other);
    ~CPoolStringList();

    int Count() const;
    // The entry at `position`, copied into the ring and zero-terminated; null outside 1..Count.
    // The pointer stays valid until the ring wraps over it (64 KB of later Gets).
    const char* Get(int position);
    std::string GetString(int position);   // the whole entry, never cut

    bool Append(const std::string& text);
    // Inserts before `position` (1..Count+1).
    bool InsertAt(int position, const std::string& text);
    bool RemoveAt(int position);
    // Removes the first entry equal to `text`; false when there is none.
    bool Remove(const std::string& text);
    int IndexOf(const std::string& text);   // 1-based, 0 when absent
    void Clear();

    bool Load(CArchive& archive);
    bool Store(CArchive& archive) const;

    Handle handle() const { return handle_; }

private:
    // Byte offset of the entry at `position` (walking from the cursor where possible); 0 when
    // the position is outside the list or the block is damaged.
    uint32_t entryOffset(int position, const uint8_t* data, uint32_t size);
    bool ensureBlock();
    bool replaceBlock(const std::string& bytes);
    std::string blockBytes() const;
    void resetCursor() { cursorPosition_ = 0; cursorOffset_ = 0; }

    MemoryPool* pool_;
    Handle handle_ = nullptr;
    int cursorPosition_ = 0;       // last position read, 0 = none
    uint32_t cursorOffset_ = 0;    // its byte offset in the block
};

// Checks that `bytes` is a well-formed packed list (count, then exactly that many entries).
bool isValidPackedList(const std::string& bytes);

} // namespace spx
