#pragma once
// The spooler on CUPS. The scheduler is the one the environment names (CUPS_SERVER, the client
// configuration, or the local default), as for every CUPS client. All libcups calls of the
// program live in CupsSpooler.cpp.

#include <functional>
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
    bool finishDocument(int& job) override;
    SpoolerJobState jobState(int job) override;
    void cancelDocument() override;
    std::string lastErrorText() const override;

    // How long the scheduler may stay silent, when connecting or in the middle of a request,
    // before the request fails (milliseconds; 30 seconds unless set).
    void setReplyTimeout(int milliseconds);

    // Asked while the scheduler keeps a request waiting: true ends the request at once (a send
    // that is being broken off).
    void setAbortCheck(std::function<bool()> check);

    // The scheduler's address as libcups sees it (for messages).
    static std::string serverName();

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace spx
