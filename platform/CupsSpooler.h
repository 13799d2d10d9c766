#pragma once
// The spooler on CUPS. The scheduler is the one the environment names (CUPS_SERVER, the client
// configuration, or the local default), as for every CUPS client. All libcups calls of the
// program live in CupsSpooler.cpp.

#include <memory>

#include "Spooler.h"

namespace spx {

class CupsSpooler : public Spooler {
public:
    CupsSpooler();
    ~CupsSpooler() override;
    CupsSpooler(const CupsSpooler&) = delete;
    CupsSpooler& operator=(const CupsSpooler&) = delete;

    bool listQueues(std::vector<SpoolerQueue>& queues) override;
    bool openQueue(const std::string& name) override;
    void closeQueue() override;
    bool startDocument(const std::string& documentName) override;
    bool write(const void* data, std::size_t count) override;
    bool finishDocument() override;
    bool confirmDocument() override;
    void cancelDocument() override;
    std::string lastErrorText() const override;

    // How long confirmDocument waits for the printer to take a job (milliseconds). A job that
    // is still queued or printing when the time is up counts as handed over; 0 does not wait
    // and judges every document by the scheduler's answer to its upload alone.
    void setCompletionWait(int milliseconds) { completionWaitMs_ = milliseconds; }

    // How long the scheduler may stay silent, when connecting or in the middle of a request,
    // before the request fails (milliseconds; 30 seconds unless set).
    void setReplyTimeout(int milliseconds);

    // The scheduler's address as libcups sees it (for messages).
    static std::string serverName();

private:
    struct State;
    std::unique_ptr<State> state_;
    int completionWaitMs_ = 60000;
};

} // namespace spx
