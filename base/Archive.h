#pragma once
// A byte archive the foundation classes load from and store into: little-endian integers,
// length-prefixed tags and byte runs. Every read is checked; a short or mismatching read fails
// and leaves the read position where it was.

#include <cstdint>
#include <string>

namespace spx {

class CArchive {
public:
    CArchive() = default;
    explicit CArchive(std::string bytes) : buffer_(std::move(bytes)) {}

    const std::string& bytes() const { return buffer_; }
    size_t readPosition() const { return readPos_; }
    bool atEnd() const { return readPos_ >= buffer_.size(); }
    void rewind() { readPos_ = 0; }

    void WriteU16(uint16_t value);
    void WriteU32(uint32_t value);
    void WriteBytes(const void* bytes, size_t count);
    // A tag is written as its 16-bit length and its bytes.
    void WriteTag(const std::string& tag);

    bool ReadU16(uint16_t& value);
    bool ReadU32(uint32_t& value);
    bool ReadBytes(void* out, size_t count);
    // Reads a tag and checks that it is `expected`; on a mismatch nothing is consumed.
    bool ReadTag(const std::string& expected);

private:
    std::string buffer_;
    size_t readPos_ = 0;
};

} // namespace spx
