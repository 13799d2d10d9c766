#include "PoolStringList.h"

#include <cstring>

#include "Archive.h"
#include "LittleEndian.h"

namespace spx {

namespace {

char g_ring[CPoolStringList::kRingSize];
uint32_t g_ringOffset = 0;

uint16_t readU16(const uint8_t* at) { return le::u16At(at); }

void appendU16(std::string& out, uint32_t value) { le::ByteWriter(out).u16(uint16_t(value & 0xFFFF)); }

// Copies `length` bytes into the ring, followed by a terminator, and returns where they went.
const char* copyToRing(const uint8_t* bytes, uint32_t length)
{
    if (length > CPoolStringList::kMaxReturnedLength)
        length = CPoolStringList::kMaxReturnedLength;
    if (g_ringOffset + length + 1 > CPoolStringList::kRingLimit)
        g_ringOffset = 0;
    char* at = g_ring + g_ringOffset;
    std::memcpy(at, bytes, length);
    at[length] = 0;
    g_ringOffset += length + 1;
    return at;
}

} // namespace

bool isValidPackedList(const std::string& bytes)
{
    if (bytes.size() < 2)
        return false;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const uint32_t count = readU16(data);
    size_t offset = 2;
    for (uint32_t i = 0; i < count; ++i) {
        if (bytes.size() - offset < 2)
            return false;
        const uint32_t length = readU16(data + offset);
        offset += 2;
        if (bytes.size() - offset < length)
            return false;
        offset += length;
    }
    return offset == bytes.size();
}

CPoolStringList::CPoolStringList(MemoryPool* pool) : pool_(pool ? pool : &MemoryPool::global())
{
    ensureBlock();
}

CPoolStringList::CPoolStringList(const CPoolStringList& other) : pool_(other.pool_)
{
    if (other.handle_)
        handle_ = pool_->DuplicateHandle(other.handle_);
    ensureBlock();
}

CPoolStringList& CPoolStringList::operator=(const CPoolStringList& other)
{
    if (this != &other)
        replaceBlock(other.blockBytes());
    return *this;
}

CPoolStringList::~CPoolStringList()
{
    if (handle_)
        pool_->DisposeHandle(handle_);
}

bool CPoolStringList::ensureBlock()
{
    if (handle_)
        return true;
    handle_ = pool_->NewHandle(2);   // count 0; the pool hands out zeroed blocks
    resetCursor();
    return handle_ != nullptr;
}

std::string CPoolStringList::blockBytes() const
{
    const uint8_t* data = handle_ ? pool_->Data(handle_) : nullptr;
    if (!data)
        return std::string(2, '\0');
    return std::string(reinterpret_cast<const char*>(data), pool_->GetHandleSize(handle_));
}

bool CPoolStringList::replaceBlock(const std::string& bytes)
{
    resetCursor();
    if (!ensureBlock() || !pool_->SetHandleSize(handle_, uint32_t(bytes.size())))
        return false;
    std::memcpy(pool_->Data(handle_), bytes.data(), bytes.size());
    return true;
}

int CPoolStringList::Count() const
{
    const uint8_t* data = handle_ ? pool_->Data(handle_) : nullptr;
    if (!data || pool_->GetHandleSize(handle_) < 2)
        return 0;
    return readU16(data);
}

uint32_t CPoolStringList::entryOffset(int position, const uint8_t* data, uint32_t size)
{
    if (size < 2 || position < 1 || position > readU16(data))
        return 0;
    int at = 1;
    uint32_t offset = 2;
    if (cursorPosition_ >= 1 && position >= cursorPosition_) {
        at = cursorPosition_;
        offset = cursorOffset_;
    }
    for (; at < position; ++at) {
        if (size - offset < 2)
            return 0;
        offset += 2 + readU16(data + offset);
        if (offset > size)
            return 0;
    }
    if (size - offset < 2 || size - offset - 2 < readU16(data + offset))
        return 0;
    cursorPosition_ = position;
    cursorOffset_ = offset;
    return offset;
}

const char* CPoolStringList::Get(int position)
{
    if (!handle_)
        return nullptr;
    const uint8_t savedFlags = pool_->GetFlags(handle_);
    if (savedFlags & HandlePurged)
        return nullptr;
    pool_->SetFlags(handle_, uint8_t(savedFlags | HandleLocked));
    const uint8_t* data = pool_->Data(handle_);
    const char* result = nullptr;
    if (uint32_t offset = entryOffset(position, data, pool_->GetHandleSize(handle_)))
        result = copyToRing(data + offset + 2, readU16(data + offset));
    pool_->SetFlags(handle_, savedFlags);
    return result;
}

std::string CPoolStringList::GetString(int position)
{
    const uint8_t* data = handle_ ? pool_->Data(handle_) : nullptr;
    if (!data)
        return {};
    uint32_t offset = entryOffset(position, data, pool_->GetHandleSize(handle_));
    if (!offset)
        return {};
    return std::string(reinterpret_cast<const char*>(data + offset + 2), readU16(data + offset));
}

namespace {
// Byte offset of the entry at a 1-based position in a packed block, count + 1 included (the
// end), without the read cursor: for edits that rewrite the block.
size_t packedOffset(const uint8_t* data, int position)
{
    size_t offset = 2;
    for (int at = 1; at < position; ++at)
        offset += 2 + readU16(data + offset);
    return offset;
}

void storeCount(std::string& bytes, int count)
{
    le::putU16(reinterpret_cast<uint8_t*>(bytes.data()), uint16_t(count & 0xFFFF));
}
} // namespace

bool CPoolStringList::InsertAt(int position, const std::string& text)
{
    const int count = Count();
    if (position < 1 || position > count + 1 || uint32_t(count) >= kMaxCount || text.size() > kMaxEntryLength)
        return false;
    std::string bytes = blockBytes();
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const size_t offset = packedOffset(data, position);
    std::string entry;
    appendU16(entry, uint32_t(text.size()));
    entry += text;
    bytes.insert(offset, entry);
    storeCount(bytes, count + 1);
    return replaceBlock(bytes);
}

bool CPoolStringList::Append(const std::string& text) { return InsertAt(Count() + 1, text); }

bool CPoolStringList::RemoveAt(int position)
{
    const int count = Count();
    if (position < 1 || position > count)
        return false;
    std::string bytes = blockBytes();
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const size_t offset = packedOffset(data, position);
    bytes.erase(offset, 2 + size_t(readU16(data + offset)));
    storeCount(bytes, count - 1);
    return replaceBlock(bytes);
}

int CPoolStringList::IndexOf(const std::string& text)
{
    const int count = Count();
    for (int position = 1; position <= count; ++position)
        if (GetString(position) == text)
            return position;
    return 0;
}

bool CPoolStringList::Remove(const std::string& text)
{
    const int position = IndexOf(text);
    return position > 0 && RemoveAt(position);
}

void CPoolStringList::Clear() { replaceBlock(std::string(2, '\0')); }

bool CPoolStringList::Load(CArchive& archive)
{
    uint32_t size = 0;
    if (!archive.ReadTag("data") || !archive.ReadU32(size) || archive.bytes().size() - archive.readPosition() < size)
        return false;
    std::string bytes(size, '\0');
    archive.ReadBytes(bytes.data(), size);
    // A damaged list is refused whole rather than walked past its end later.
    if (!isValidPackedList(bytes))
        return false;
    return replaceBlock(bytes);
}

bool CPoolStringList::Store(CArchive& archive) const
{
    const std::string bytes = blockBytes();
    archive.WriteTag("data");
    archive.WriteU32(uint32_t(bytes.size()));
    archive.WriteBytes(bytes.data(), bytes.size());
    return true;
}

} // namespace spx
