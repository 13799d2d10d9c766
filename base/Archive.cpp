#include "Archive.h"

#include <cstring>

#include "LittleEndian.h"

namespace spx {

void CArchive::WriteU16(uint16_t value) { le::ByteWriter(buffer_).u16(value); }

void CArchive::WriteU32(uint32_t value) { le::ByteWriter(buffer_).u32(value); }

void CArchive::WriteBytes(const void* bytes, size_t count)
{
    if (count)
        buffer_.append(static_cast<const char*>(bytes), count);
}

void CArchive::WriteTag(const std::string& tag)
{
    WriteU16(uint16_t(tag.size()));
    WriteBytes(tag.data(), tag.size() & 0xFFFF);
}

bool CArchive::ReadU16(uint16_t& value)
{
    le::ByteReader in(buffer_, readPos_);
    if (!in.u16(value))
        return false;
    readPos_ = in.offset();
    return true;
}

bool CArchive::ReadU32(uint32_t& value)
{
    le::ByteReader in(buffer_, readPos_);
    if (!in.u32(value))
        return false;
    readPos_ = in.offset();
    return true;
}

bool CArchive::ReadBytes(void* out, size_t count)
{
    if (readPos_ > buffer_.size() || buffer_.size() - readPos_ < count)
        return false;
    if (count)
        std::memcpy(out, buffer_.data() + readPos_, count);
    readPos_ += count;
    return true;
}

bool CArchive::ReadTag(const std::string& expected)
{
    const size_t start = readPos_;
    uint16_t length = 0;
    if (!ReadU16(length) || length != expected.size() || buffer_.size() - readPos_ < length
        || buffer_.compare(readPos_, length, expected) != 0) {
        readPos_ = start;
        return false;
    }
    readPos_ += length;
    return true;
}

} // namespace spx
