#include "Archive.h"

#include <cstring>

namespace spx {

void CArchive::WriteU16(uint16_t value)
{
    buffer_ += char(value & 0xFF);
    buffer_ += char(value >> 8);
}

void CArchive::WriteU32(uint32_t value)
{
    WriteU16(uint16_t(value & 0xFFFF));
    WriteU16(uint16_t(value >> 16));
}

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
    if (buffer_.size() - readPos_ < 2 || readPos_ > buffer_.size())
        return false;
    value = uint16_t(uint8_t(buffer_[readPos_]) | uint8_t(buffer_[readPos_ + 1]) << 8);
    readPos_ += 2;
    return true;
}

bool CArchive::ReadU32(uint32_t& value)
{
    if (buffer_.size() - readPos_ < 4 || readPos_ > buffer_.size())
        return false;
    uint16_t low = 0, high = 0;
    ReadU16(low);
    ReadU16(high);
    value = uint32_t(low) | uint32_t(high) << 16;
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
