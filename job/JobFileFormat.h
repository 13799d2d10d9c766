#pragma once
// The job file format, apart from the document: bytes to a job-file value and back. The file is
// a run of blocks, each stored by a range of versions (one table in JobFileFormat.cpp says which);
// versions 1 to 5 are read, the value's own version is written. What the values mean (the upgrade
// of older versions, the papers matched against the catalogue) is the document's business.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "JobOptions.h"
#include "PaperRecord.h"

namespace spx {

struct JobFileSignatures {
    std::string first;    // the signature-kind flag set
    std::string second;   // the flag clear; both of one length
};

struct JobFileValue {
    static constexpr int kCurrentVersion = 5;
    static constexpr size_t kMaxExceptions = 512;   // a longer list ends the file after its count
    static constexpr size_t kPaperNameSlots = 6;
    static constexpr size_t kPaperNameSize = 256;

    bool firstSignature = false;
    int version = kCurrentVersion;
    // The record as stored: printerLanguage with its offset of 6; bytes a version does not store
    // are left as they were in the value.
    JobOptions record;
    std::array<std::string, kPaperNameSlots> paperNames;   // version 2 on
    uint16_t exceptionCount = 0;                           // as stored; may exceed the entries
    std::vector<ExceptionRecord> exceptions;               // version 2 on, when the count fits
    uint32_t printerQueuePosition = 0;                     // version 3 on, when the count fits

    bool exceptionsStored() const { return exceptionCount <= kMaxExceptions; }
};

enum class JobFileParse { Ok, NotAJobFile, Truncated };

struct JobFileParseResult {
    JobFileParse status = JobFileParse::Ok;
    size_t offset = 0;     // where the failing block starts
    std::string reason;    // which block, and what was wrong with it
    size_t consumed = 0;   // bytes read on success
    explicit operator bool() const { return status == JobFileParse::Ok; }
};

// Reads `bytes` into `value` (whose record should hold the defaults: a version that stores less
// leaves the rest as it is). Trailing bytes after the last block are ignored.
JobFileParseResult parseJobFile(std::string_view bytes, const JobFileSignatures& signatures, JobFileValue& value);
// The bytes of `value` in its version's layout.
std::string writeJobFile(const JobFileValue& value, const JobFileSignatures& signatures);

// Record bytes stored by a version: 6968 for versions 1 to 3, 7232 for 4, the whole record for 5.
size_t recordBytesOfVersion(int version);

} // namespace spx
