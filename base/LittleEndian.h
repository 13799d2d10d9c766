#pragma once
// Little-endian integers in byte buffers: the records, the job file and the foundation's
// archives all store 16- and 32-bit values this way, whatever the machine's byte order.
// ByteReader checks every read against the end of its input and knows its offset, so a parser
// can say where a file ended early; ByteWriter appends to a string.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace spx::le {

inline uint16_t u16At(const uint8_t* at) { return uint16_t(at[0] | (at[1] << 8)); }
inline int16_t i16At(const uint8_t* at) { return int16_t(u16At(at)); }
inline uint32_t u32At(const uint8_t* at)
{
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

inline void putU16(uint8_t* at, uint16_t value)
{
    at[0] = uint8_t(value & 0xFF);
    at[1] = uint8_t(value >> 8);
}
inline void putI16(uint8_t* at, int16_t value) { putU16(at, uint16_t(value)); }
inline void putU32(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = uint8_t(value >> (8 * i));
}

class ByteReader {
public:
    explicit ByteReader(std::string_view input, size_t offset = 0) : input_(input), offset_(offset) {}
    // False (and nothing consumed) when fewer than `count` bytes are left.
    bool bytes(void* out, size_t count)
    {
        if (remaining() < count)
            return false;
        if (count)
            std::memcpy(out, input_.data() + offset_, count);
        offset_ += count;
        return true;
    }
    bool u16(uint16_t& out)
    {
        uint8_t b[2];
        if (!bytes(b, 2))
            return false;
        out = u16At(b);
        return true;
    }
    bool u32(uint32_t& out)
    {
        uint8_t b[4];
        if (!bytes(b, 4))
            return false;
        out = u32At(b);
        return true;
    }
    size_t offset() const { return offset_; }
    size_t remaining() const { return offset_ <= input_.size() ? input_.size() - offset_ : 0; }

private:
    std::string_view input_;
    size_t offset_;
};

class ByteWriter {
public:
    explicit ByteWriter(std::string& out) : out_(out) {}
    void bytes(const void* data, size_t count)
    {
        if (count)
            out_.append(static_cast<const char*>(data), count);
    }
    void u16(uint16_t value)
    {
        uint8_t b[2];
        putU16(b, value);
        bytes(b, 2);
    }
    void u32(uint32_t value)
    {
        uint8_t b[4];
        putU32(b, value);
        bytes(b, 4);
    }

private:
    std::string& out_;
};

} // namespace spx::le
