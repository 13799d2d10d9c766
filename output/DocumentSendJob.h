#pragma once
// The job of a send as the window and spxjob both give it to the send loop: the job document,
// its job stream generator and the availability of the option controls.

#include <functional>
#include <string>

#include "JobStreamGenerator.h"
#include "OptionAvailability.h"
#include "SendLoop.h"

namespace spx {

class CSpxDoc;

class DocumentSendJob : public SendJobSource {
public:
    DocumentSendJob(CSpxDoc& doc, IDialogs& dialogs, ItemLockFlags locks = {},
                    std::string userFullName = loginUserFullName());

    // The window lets its option pages store (and refresh) here; the command line has none.
    std::function<void(int file)> beforeEachFile;
    std::function<void()> afterFailedHeader;

    void storePages() override;
    int printerLanguage() const override;
    int fileLanguage() const override;
    void setFileLanguage(int language) override;
    int generate(const std::string& printFile, const std::string& stagingPath, int fileLanguage) override;
    void refreshSheet() override;

    const std::string& userFullName() const { return userFullName_; }
    const ItemLockFlags& locks() const { return locks_; }

private:
    CSpxDoc& doc_;
    IDialogs& dialogs_;
    ItemLockFlags locks_;
    std::string userFullName_;
    CJobStreamGenerator generator_;
    int files_ = 0;
};

} // namespace spx
