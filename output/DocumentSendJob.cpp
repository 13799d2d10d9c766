#include "DocumentSendJob.h"

#include "SpxDoc.h"

namespace spx {

DocumentSendJob::DocumentSendJob(CSpxDoc& doc, IDialogs& dialogs, ItemLockFlags locks, std::string userFullName)
    : doc_(doc), dialogs_(dialogs), locks_(locks), userFullName_(std::move(userFullName))
{
}

void DocumentSendJob::storePages()
{
    if (beforeEachFile)
        beforeEachFile(files_);
    ++files_;
}

int DocumentSendJob::printerLanguage() const { return doc_.GetPrinterLanguage(); }
int DocumentSendJob::fileLanguage() const { return doc_.GetFileLanguage(); }
void DocumentSendJob::setFileLanguage(int language) { doc_.SetFileLanguage(language); }

int DocumentSendJob::generate(const std::string& printFile, const std::string& stagingPath, int fileLanguage)
{
    return static_cast<int>(generator_.Generate(doc_, printFile, stagingPath, fileLanguage, locks_, &dialogs_, userFullName_));
}

void DocumentSendJob::refreshSheet()
{
    if (afterFailedHeader)
        afterFailedHeader();
}

} // namespace spx
