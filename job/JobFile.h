#pragma once
// Reading job files (versions 1 to 5) into the document.

#include <string>

#include "MemoryPool.h"

namespace spx {

class CSpxDoc;
class JobOptions;
struct ExceptionRecord;

class JobFileReader {
public:
    enum class Result { Ok, NotAJobFile, Truncated, Refused, OutOfMemory };   // Refused: the reader said why

    JobFileReader(CSpxDoc& doc, const std::string& image);
    // Reads everything after the checks of signature, marker and version into the document;
    // the lists are rebuilt from the copies taken before the load.
    Result read(const RecordArray& paperCopy, const RecordArray& exceptionCopy);
    int version() const { return version_; }

private:
    static void terminateTextFields(JobOptions& options);
    void reconcileException(ExceptionRecord& entry);

    CSpxDoc& doc_;
    const std::string& image_;
    int version_ = 0;
};


} // namespace spx
