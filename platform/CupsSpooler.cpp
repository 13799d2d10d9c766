// Every libcups call of the program. A submission is checked at every step: the job is created,
// the document started, every write continued, the document finished with an OK status and, once
// the caller asks for it, the job followed until the printer has it. On any failure the half-made
// job is cancelled.

#include "CupsSpooler.h"

#include <cups/cups.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <deque>
#include <thread>
#include <vector>

namespace spx {

namespace {

// Job states of RFC 8011.
constexpr int kJobHeld = 4;
constexpr int kJobCanceled = 7;
constexpr int kJobAborted = 8;
constexpr int kJobCompleted = 9;

std::string cupsErrorText()
{
    const char* text = cupsLastErrorString();
    return text ? text : std::string();
}

// Why a request on `http` failed: the scheduler's word when it answered, else what the
// connection knows (for an answer that never came libcups reports an internal error with the
// text "Success").
std::string requestErrorText(http_t* http)
{
    int code = http ? httpError(http) : 0;
    bool answered = cupsLastError() != IPP_STATUS_ERROR_INTERNAL && cupsLastError() > IPP_STATUS_OK_CONFLICTING;
    std::string text = cupsErrorText();
    if (!answered && code != 0)
        return std::strerror(code);
    return text.empty() ? std::strerror(EIO) : text;
}

// Asked by libcups when the scheduler has been silent for the reply time: give up.
int giveUpWaiting(http_t*, void*)
{
    return 0;
}

} // namespace

struct CupsSpooler::State {
    http_t* http = nullptr;
    std::string queue;          // the destination's name, without an instance
    int jobId = 0;              // the job of the document being written
    std::deque<int> awaiting;   // jobs whose upload has ended, oldest first, not yet confirmed
    bool documentOpen = false;  // the request body of the document is being sent
    std::string error;
    int replyTimeoutMs = 30000;
    // Writes are gathered into large chunks: libcups sends every write as a chunk of its own,
    // three system calls each, which for the send loop's small blocks costs more than the copy.
    std::vector<char> pending;
    static constexpr std::size_t kChunk = 256 * 1024;

    bool flush()
    {
        if (pending.empty())
            return true;
        http_status_t status = cupsWriteRequestData(http, pending.data(), pending.size());
        pending.clear();
        if (status != HTTP_STATUS_CONTINUE) {
            error = cupsErrorText();
            if (error.empty())
                error = std::strerror(EPIPE);
            return false;
        }
        return true;
    }

    bool connect()
    {
        if (http)
            return true;
        http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, replyTimeoutMs, nullptr);
        if (!http) {
            // libcups says "Host is down" for a scheduler it cannot reach.
            error = cupsErrorText();
            if (error.empty())
                error = std::strerror(EHOSTDOWN);
            return false;
        }
        // A scheduler that takes the connection and then never answers, or stops reading in the
        // middle of a document, ends the request with an error instead of holding the send.
        httpSetTimeout(http, replyTimeoutMs / 1000.0, giveUpWaiting, nullptr);
        return true;
    }

    void disconnect()
    {
        if (http)
            httpClose(http);
        http = nullptr;
    }

    void cancelJobById(int id)
    {
        if (connect())
            cupsCancelJob2(http, queue.c_str(), id, 0);
    }

    // Removes the job of the current document, whatever state its upload is in.
    void cancelJob()
    {
        if (jobId == 0)
            return;
        pending.clear();
        if (documentOpen) {
            // The request body is half sent: dropping the connection makes the scheduler discard
            // it, so no part of the document can reach the printer before the cancel.
            disconnect();
            documentOpen = false;
        }
        cancelJobById(jobId);
        jobId = 0;
    }

    // Whether the scheduler knows the queue, asked on this connection so that the reply time
    // holds (libcups' own destination lookups fall back to connections of their own, which wait
    // for a silent scheduler without end). `canonical` gets the name as the scheduler spells it.
    bool queueKnown(const std::string& name, std::string& canonical)
    {
        ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
        char uri[HTTP_MAX_URI];
        httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/printers/%s", name.c_str());
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, "printer-name");
        ipp_t* response = cupsDoRequest(http, request, "/");
        bool known = response && cupsLastError() <= IPP_STATUS_OK_CONFLICTING;
        if (!known)
            error = requestErrorText(http);
        canonical = name;
        if (known) {
            if (ipp_attribute_t* attribute = ippFindAttribute(response, "printer-name", IPP_TAG_NAME)) {
                if (const char* text = ippGetString(attribute, 0, nullptr))
                    canonical = text;
            }
        }
        ippDelete(response);
        return known;
    }

    // The job's state and the printer's last word on it; 0 when the scheduler does not answer.
    int jobState(int id, std::string& message)
    {
        ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
        char uri[HTTP_MAX_URI];
        httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/jobs/%d", id);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
        static const char* const wanted[] = {"job-state", "job-state-reasons", "job-printer-state-message"};
        ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3, nullptr, wanted);
        ipp_t* response = cupsDoRequest(http, request, "/");
        if (!response)
            return 0;
        int state = 0;
        if (ipp_attribute_t* attribute = ippFindAttribute(response, "job-state", IPP_TAG_ENUM))
            state = ippGetInteger(attribute, 0);
        message.clear();
        if (ipp_attribute_t* attribute = ippFindAttribute(response, "job-printer-state-message", IPP_TAG_TEXT)) {
            if (const char* text = ippGetString(attribute, 0, nullptr))
                message = text;
        }
        if (message.empty()) {
            if (ipp_attribute_t* attribute = ippFindAttribute(response, "job-state-reasons", IPP_TAG_KEYWORD)) {
                if (const char* text = ippGetString(attribute, 0, nullptr))
                    message = text;
            }
        }
        ippDelete(response);
        return state;
    }
};

CupsSpooler::CupsSpooler() : state_(std::make_unique<State>())
{
    // A scheduler that goes away in the middle of a document must give a failed write, not end
    // the program.
    std::signal(SIGPIPE, SIG_IGN);
}

CupsSpooler::~CupsSpooler()
{
    cancelDocument();
    closeQueue();
}

void CupsSpooler::setReplyTimeout(int milliseconds)
{
    state_->replyTimeoutMs = milliseconds > 0 ? milliseconds : 30000;
    if (state_->http)
        httpSetTimeout(state_->http, state_->replyTimeoutMs / 1000.0, giveUpWaiting, nullptr);
}

std::string CupsSpooler::serverName()
{
    return cupsServer();
}

bool CupsSpooler::listQueues(std::vector<SpoolerQueue>& queues)
{
    queues.clear();
    State& s = *state_;
    bool ownConnection = s.http == nullptr;
    if (!s.connect())
        return false;
    cups_dest_t* dests = nullptr;
    int count = cupsGetDests2(s.http, &dests);
    bool ok = count > 0 || cupsLastError() <= IPP_STATUS_OK_CONFLICTING || cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND;
    if (!ok)
        s.error = requestErrorText(s.http);
    for (int i = 0; i < count; ++i) {
        SpoolerQueue queue;
        queue.name = dests[i].name;
        if (dests[i].instance)
            queue.name += std::string("/") + dests[i].instance;
        if (const char* uri = cupsGetOption("device-uri", dests[i].num_options, dests[i].options))
            queue.deviceUri = uri;
        queue.isDefault = dests[i].is_default != 0;
        queues.push_back(std::move(queue));
    }
    cupsFreeDests(count, dests);
    if (ownConnection)
        s.disconnect();
    return ok;
}

bool CupsSpooler::openQueue(const std::string& name)
{
    closeQueue();
    State& s = *state_;
    if (!s.connect())
        return false;
    std::string destName = name;
    std::string instance;
    if (auto slash = name.find('/'); slash != std::string::npos) {
        destName = name.substr(0, slash);
        instance = name.substr(slash + 1);
    }
    // Asking for the destination first gives the operator "does not exist" for a wrong name,
    // where creating a job on it would give a misleading file error.
    std::string canonical;
    if (!s.queueKnown(destName, canonical)) {
        s.disconnect();
        return false;
    }
    if (instance.empty()) {
        s.queue = canonical;
        return true;
    }
    // An instance is the client's own: only the full lookup knows it.
    cups_dest_t* dest = cupsGetNamedDest(s.http, destName.c_str(), instance.empty() ? nullptr : instance.c_str());
    if (!dest) {
        s.error = cupsErrorText();
        s.disconnect();
        return false;
    }
    s.queue = dest->name;
    cupsFreeDests(1, dest);
    return true;
}

void CupsSpooler::closeQueue()
{
    State& s = *state_;
    s.cancelJob();
    // No job is left unfollowed: one whose state cannot be learned is cancelled.
    while (!s.awaiting.empty())
        confirmDocument();
    s.disconnect();
    s.queue.clear();
}

bool CupsSpooler::startDocument(const std::string& documentName)
{
    State& s = *state_;
    s.cancelJob();
    if (s.queue.empty()) {
        s.error = std::strerror(EBADF);
        return false;
    }
    if (!s.connect())
        return false;
    s.jobId = cupsCreateJob(s.http, s.queue.c_str(), documentName.c_str(), 0, nullptr);
    if (s.jobId <= 0) {
        s.error = cupsErrorText();
        s.jobId = 0;
        return false;
    }
    http_status_t status = cupsStartDocument(s.http, s.queue.c_str(), s.jobId, documentName.c_str(), CUPS_FORMAT_RAW, 1);
    if (status != HTTP_STATUS_CONTINUE) {
        s.error = cupsErrorText();
        if (s.error.empty())
            s.error = httpStatus(status);
        s.documentOpen = true;   // the request may be half made: drop the connection
        s.cancelJob();
        return false;
    }
    s.documentOpen = true;
    return true;
}

bool CupsSpooler::write(const void* data, std::size_t count)
{
    State& s = *state_;
    if (!s.documentOpen) {
        s.error = std::strerror(EBADF);
        return false;
    }
    // An empty write would end the chunked request body early: there is nothing to send.
    if (count == 0)
        return true;
    const char* bytes = static_cast<const char*>(data);
    if (s.pending.size() + count > State::kChunk && !s.flush())
        return false;
    if (count >= State::kChunk) {
        s.pending.assign(bytes, bytes + count);
        return s.flush();
    }
    s.pending.insert(s.pending.end(), bytes, bytes + count);
    return true;
}

bool CupsSpooler::finishDocument()
{
    State& s = *state_;
    if (!s.documentOpen) {
        s.error = std::strerror(EBADF);
        return false;
    }
    if (!s.flush()) {
        s.cancelJob();
        return false;
    }
    s.documentOpen = false;
    ipp_status_t status = cupsFinishDocument(s.http, s.queue.c_str());
    if (status > IPP_STATUS_OK_CONFLICTING) {
        s.error = cupsErrorText();
        s.cancelJob();
        return false;
    }
    // Without a waiting time the scheduler's answer alone judges the document.
    if (completionWaitMs_ > 0)
        s.awaiting.push_back(s.jobId);
    s.jobId = 0;
    return true;
}

bool CupsSpooler::confirmDocument()
{
    State& s = *state_;
    if (s.awaiting.empty())
        return true;
    if (s.documentOpen) {
        // The connection carries a request body: no other request can go on it now.
        s.error = std::strerror(EBUSY);
        return false;
    }
    int id = s.awaiting.front();
    s.awaiting.pop_front();
    if (!s.connect())
        return false;

    // Follow the job until the printer has taken it: every millisecond at first, as a local
    // printer has a small job within a few, then less and less often.
    auto started = std::chrono::steady_clock::now();
    auto deadline = started + std::chrono::milliseconds(completionWaitMs_);
    auto pause = std::chrono::milliseconds(1);
    std::string message;
    for (;;) {
        int state = s.jobState(id, message);
        if (state == 0) {
            // The file is reported as not sent, so the job must not print later: cancel it
            // while the scheduler can still be reached.
            s.error = requestErrorText(s.http);
            s.cancelJobById(id);
            return false;
        }
        // A held job waits, whole, for its release at the printer.
        if (state == kJobCompleted || state == kJobHeld)
            return true;
        if (state == kJobCanceled || state == kJobAborted) {
            s.error = message.empty() ? std::string(ippEnumString("job-state", state)) : message;
            return false;
        }
        // Pending, processing and stopped jobs are still on their way.
        if (std::chrono::steady_clock::now() >= deadline)
            return true;
        std::this_thread::sleep_for(pause);
        if (std::chrono::steady_clock::now() > started + std::chrono::milliseconds(200))
            pause = std::min(pause * 2, std::chrono::milliseconds(10));
    }
}

void CupsSpooler::cancelDocument()
{
    state_->cancelJob();
}

std::string CupsSpooler::lastErrorText() const
{
    return state_->error;
}

} // namespace spx
