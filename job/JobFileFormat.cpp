#include "JobFileFormat.h"

#include <cstring>

#include "LittleEndian.h"

namespace spx {

namespace {

constexpr uint16_t kMarker = 26;
constexpr size_t kRecordPartOneEnd = 6968;   // through the old record's end, before trimEdges
constexpr size_t kRecordPartTwoEnd = 7232;   // trimEdges and the e-mail address, before copies

struct Reading {
    le::ByteReader& in;
    const JobFileSignatures& signatures;
    JobFileValue& value;
    std::string reason;   // set by a reader that refuses what it read
};

using ReadBlock = bool (*)(Reading&);
using WriteBlock = void (*)(le::ByteWriter&, const JobFileValue&, const JobFileSignatures&);

// A block is stored by versions firstVersion..lastVersion; `onlyWhenExceptionsFit` blocks are
// left out of a file whose exception count is above the limit (it ends after the count).
struct BlockInfo {
    const char* name;
    int firstVersion;
    int lastVersion;
    bool onlyWhenExceptionsFit;
    bool identifiesTheFile;   // a failure here means "not a job file", elsewhere "ends early"
    ReadBlock read;
    WriteBlock write;
};

bool readSignature(Reading& r)
{
    std::string signature(r.signatures.first.size(), '\0');
    if (!r.in.bytes(signature.data(), signature.size()))
        return false;
    r.value.firstSignature = signature == r.signatures.first;
    if (!r.value.firstSignature && signature != r.signatures.second) {
        r.reason = "unknown signature";
        return false;
    }
    return true;
}

bool readMarker(Reading& r)
{
    uint16_t marker = 0;
    if (!r.in.u16(marker))
        return false;
    if (marker != kMarker)
        r.reason = "marker " + std::to_string(marker) + " instead of 26";
    return marker == kMarker;
}

bool readVersion(Reading& r)
{
    uint16_t version = 0;
    if (!r.in.u16(version))
        return false;
    if (version < 1 || version > JobFileValue::kCurrentVersion) {
        r.reason = "version " + std::to_string(version) + " outside 1..5";
        return false;
    }
    r.value.version = version;
    return true;
}

template <size_t Begin, size_t End>
bool readRecordPart(Reading& r)
{
    return r.in.bytes(r.value.record.data() + Begin, End - Begin);
}

bool readPaperNames(Reading& r)
{
    for (std::string& name : r.value.paperNames) {
        char slot[JobFileValue::kPaperNameSize];
        if (!r.in.bytes(slot, sizeof slot))
            return false;
        name.assign(slot, strnlen(slot, sizeof slot - 1));
    }
    return true;
}

bool readExceptionCount(Reading& r) { return r.in.u16(r.value.exceptionCount); }

bool readExceptions(Reading& r)
{
    r.value.exceptions.assign(r.value.exceptionCount, ExceptionRecord{});
    for (ExceptionRecord& entry : r.value.exceptions) {
        if (!r.in.bytes(entry.bytes, ExceptionRecord::kSize))
            return false;
        entry.bytes[ExceptionRecord::kPagesOffset - 1] = 0;
        entry.bytes[ExceptionRecord::kPositionOffset - 1] = 0;
    }
    return true;
}

bool readQueuePosition(Reading& r) { return r.in.u32(r.value.printerQueuePosition); }

void writeSignature(le::ByteWriter& out, const JobFileValue& value, const JobFileSignatures& signatures)
{
    const std::string& signature = value.firstSignature ? signatures.first : signatures.second;
    out.bytes(signature.data(), signature.size());
}

void writeMarker(le::ByteWriter& out, const JobFileValue&, const JobFileSignatures&) { out.u16(kMarker); }
void writeVersion(le::ByteWriter& out, const JobFileValue& value, const JobFileSignatures&) { out.u16(uint16_t(value.version)); }

template <size_t Begin, size_t End>
void writeRecordPart(le::ByteWriter& out, const JobFileValue& value, const JobFileSignatures&)
{
    out.bytes(value.record.data() + Begin, End - Begin);
}

void writePaperNames(le::ByteWriter& out, const JobFileValue& value, const JobFileSignatures&)
{
    for (const std::string& name : value.paperNames) {
        char slot[JobFileValue::kPaperNameSize] = {};
        std::memcpy(slot, name.data(), std::min(name.size(), sizeof slot - 1));
        out.bytes(slot, sizeof slot);
    }
}

void writeExceptionCount(le::ByteWriter& out, const JobFileValue& value, const JobFileSignatures&)
{
    out.u16(value.exceptionCount);
}

void writeExceptions(le::ByteWriter& out, const JobFileValue& value, const JobFileSignatures&)
{
    for (size_t i = 0; i < value.exceptionCount && i < value.exceptions.size(); ++i)
        out.bytes(value.exceptions[i].bytes, ExceptionRecord::kSize);
}

void writeQueuePosition(le::ByteWriter& out, const JobFileValue& value, const JobFileSignatures&)
{
    out.u32(value.printerQueuePosition);
}

// The job file, block by block, in file order.
constexpr BlockInfo kBlocks[] = {
    {"signature", 1, 5, false, true, readSignature, writeSignature},
    {"marker", 1, 5, false, true, readMarker, writeMarker},
    {"version", 1, 5, false, true, readVersion, writeVersion},
    {"options record", 1, 5, false, false, readRecordPart<0, kRecordPartOneEnd>, writeRecordPart<0, kRecordPartOneEnd>},
    {"options record: trim edges and e-mail address", 4, 5, false, false,
     readRecordPart<kRecordPartOneEnd, kRecordPartTwoEnd>, writeRecordPart<kRecordPartOneEnd, kRecordPartTwoEnd>},
    {"options record: copies", 5, 5, false, false, readRecordPart<kRecordPartTwoEnd, kJobOptionsSize>,
     writeRecordPart<kRecordPartTwoEnd, kJobOptionsSize>},
    {"paper names", 2, 5, false, false, readPaperNames, writePaperNames},
    {"exception count", 2, 5, false, false, readExceptionCount, writeExceptionCount},
    {"paper exceptions", 2, 5, true, false, readExceptions, writeExceptions},
    {"printer queue position", 3, 5, true, false, readQueuePosition, writeQueuePosition},
};

bool storedBy(const BlockInfo& block, const JobFileValue& value)
{
    return value.version >= block.firstVersion && value.version <= block.lastVersion
           && (!block.onlyWhenExceptionsFit || value.exceptionsStored());
}

} // namespace

size_t recordBytesOfVersion(int version)
{
    return version <= 3 ? kRecordPartOneEnd : version == 4 ? kRecordPartTwoEnd : kJobOptionsSize;
}

JobFileParseResult parseJobFile(std::string_view bytes, const JobFileSignatures& signatures, JobFileValue& value)
{
    le::ByteReader in(bytes);
    Reading reading{in, signatures, value, {}};
    value.paperNames = {};
    value.exceptionCount = 0;
    value.exceptions.clear();
    value.printerQueuePosition = 0;
    for (const BlockInfo& block : kBlocks) {
        // The version is known once its block is read; the blocks before it are in every version.
        if (!storedBy(block, value))
            continue;
        const size_t start = in.offset();
        if (block.read(reading))
            continue;
        JobFileParseResult failed;
        failed.offset = start;
        failed.status = block.identifiesTheFile ? JobFileParse::NotAJobFile : JobFileParse::Truncated;
        failed.reason = std::string(block.name) + ": "
                        + (reading.reason.empty() ? "the file ends at offset " + std::to_string(bytes.size())
                                                  : reading.reason);
        return failed;
    }
    JobFileParseResult ok;
    ok.consumed = in.offset();
    return ok;
}

std::string writeJobFile(const JobFileValue& value, const JobFileSignatures& signatures)
{
    std::string bytes;
    le::ByteWriter out(bytes);
    for (const BlockInfo& block : kBlocks)
        if (storedBy(block, value))
            block.write(out, value, signatures);
    return bytes;
}

} // namespace spx
