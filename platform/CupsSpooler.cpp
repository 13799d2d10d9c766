// Every libcups call of the program. A submission is checked at every step: the job is created,
// the document started, every write continued and the document finished with an OK status; on
// any failure the half-made job is cancelled. Jobs are followed afterwards one question at a time,
// never by waiting here.

#include "CupsSpooler.h"

#include <cups/cups.h>

#include <algorithm>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <vector>

namespace spx {

namespace {

// Job states of RFC 8011.
constexpr int kJobPending = 3;
constexpr int kJobHeld = 4;
constexpr int kJobCanceled = 7;
constexpr int kJobAborted = 8;
constexpr int kJobCompleted = 9;

std::string cupsErrorText()
{
    const char* text = cupsLastErrorString();
    return text ? text : std::string();
}

// A scheduler that cannot be reached, in the same words whether it was never there or went away
// in the middle of a send (libcups would pass on the error of its last reconnection attempt,
// "No such file or directory" for a local socket, which reads like a missing print file).
std::string unreachableText()
{
    return std::string(std::strerror(EHOSTDOWN)) + " (" + cupsServer() + ")";
}

// Whether the last request failed without the scheduler's answer: libcups reports an answer that
// never came as an internal error ("Success"), and a connection it could not make again as
// service unavailable with the system's text.
bool requestUnanswered()
{
    ipp_status_t status = cupsLastError();
    return status == IPP_STATUS_ERROR_INTERNAL || status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE;
}

// Why a request on `http` failed: the scheduler's word when it answered, else what the
// connection knows.
std::string requestErrorText(http_t* http)
{
    if (!requestUnanswered()) {
        std::string text = cupsErrorText();
        return text.empty() ? std::strerror(EIO) : text;
    }
    int code = http ? httpError(http) : 0;
    if (code == ETIMEDOUT)
        return std::strerror(code);
    return unreachableText();
}

// libcups asks whether to go on waiting each time the scheduler has been silent this long.
constexpr std::chrono::milliseconds kWaitStep{500};

} // namespace

struct CupsSpooler::State {
    http_t* http = nullptr;
    std::string queue;          // the destination's name, without an instance
    int jobId = 0;              // the job of the document being written
    bool documentOpen = false;  // the request body of the document is being sent
    std::string error;
    int replyTimeoutMs = 30000;
    std::function<bool()> abortCheck;
    bool cleaningUp = false;   // cancelling a job: not to be broken off
    // The silence libcups reports on, in steps of the wait step.
    std::chrono::steady_clock::time_point silenceStarted, lastSilentStep;
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
            error = requestErrorText(http);
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
            error = unreachableText();
            return false;
        }
        setTimeout();
        return true;
    }

    // A scheduler that takes the connection and then never answers, or stops reading in the
    // middle of a document, ends the request with an error instead of holding the send; a send
    // that is broken off stops waiting within a step.
    void setTimeout()
    {
        auto step = std::min(kWaitStep, std::chrono::milliseconds(replyTimeoutMs));
        httpSetTimeout(http, static_cast<double>(step.count()) / 1000.0, keepWaiting, this);
    }

    static int keepWaiting(http_t*, void* data)
    {
        State& s = *static_cast<State*>(data);
        auto now = std::chrono::steady_clock::now();
        auto step = std::min(kWaitStep, std::chrono::milliseconds(s.replyTimeoutMs));
        // Steps that follow each other closely belong to one silence.
        if (now - s.lastSilentStep > 2 * step)
            s.silenceStarted = now - step;
        s.lastSilentStep = now;
        if (s.abortCheck && !s.cleaningUp && s.abortCheck())
            return 0;
        return now - s.silenceStarted < std::chrono::milliseconds(s.replyTimeoutMs) ? 1 : 0;
    }

    void disconnect()
    {
        if (http)
            httpClose(http);
        http = nullptr;
    }

    void cancelJobById(int id)
    {
        cleaningUp = true;
        if (connect())
            cupsCancelJob2(http, queue.c_str(), id, 0);
        cleaningUp = false;
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

    // The job's state and the printer's last word on it.
    SpoolerJobState jobState(int id)
    {
        SpoolerJobState result;
        if (!connect())
            return result;
        ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
        char uri[HTTP_MAX_URI];
        httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/jobs/%d", id);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
        static const char* const wanted[] = {"job-state", "job-state-reasons", "job-printer-state-message"};
        ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3, nullptr, wanted);
        ipp_t* response = cupsDoRequest(http, request, "/");
        if (cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND) {
            ippDelete(response);
            result.kind = SpoolerJobState::Kind::Gone;
            return result;
        }
        if (!response || cupsLastError() > IPP_STATUS_OK_CONFLICTING) {
            error = requestErrorText(http);
            ippDelete(response);
            // A scheduler that went away leaves a dead connection: the next question makes a new one.
            if (requestUnanswered())
                disconnect();
            return result;
        }
        int state = 0;
        if (ipp_attribute_t* attribute = ippFindAttribute(response, "job-state", IPP_TAG_ENUM))
            state = ippGetInteger(attribute, 0);
        result.kind = stateKind(state);
        result.reason = jobMessage(response);
        if (result.reason.empty() && (state == kJobCanceled || state == kJobAborted))
            result.reason = ippEnumString("job-state", state);
        ippDelete(response);
        return result;
    }

    static SpoolerJobState::Kind stateKind(int state)
    {
        switch (state) {
        case kJobHeld: return SpoolerJobState::Kind::Held;
        case kJobCompleted: return SpoolerJobState::Kind::Completed;
        case kJobCanceled: return SpoolerJobState::Kind::Cancelled;
        case kJobAborted: return SpoolerJobState::Kind::Aborted;
        default:
            // Pending, processing and stopped jobs are on their way; a state outside the
            // standard's is taken as one too.
            return state >= kJobPending ? SpoolerJobState::Kind::Waiting : SpoolerJobState::Kind::NoAnswer;
        }
    }

    // The printer's last word on the job, else the spooler's first reason for its state.
    static std::string jobMessage(ipp_t* response)
    {
        if (ipp_attribute_t* attribute = ippFindAttribute(response, "job-printer-state-message", IPP_TAG_TEXT)) {
            if (const char* text = ippGetString(attribute, 0, nullptr); text && *text)
                return text;
        }
        if (ipp_attribute_t* attribute = ippFindAttribute(response, "job-state-reasons", IPP_TAG_KEYWORD)) {
            if (const char* text = ippGetString(attribute, 0, nullptr); text && std::strcmp(text, "none") != 0)
                return text;
        }
        return {};
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
        state_->setTimeout();
}

void CupsSpooler::setAbortCheck(std::function<bool()> check)
{
    state_->abortCheck = std::move(check);
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
        s.error = requestErrorText(s.http);
        s.jobId = 0;
        if (requestUnanswered())
            s.disconnect();
        return false;
    }
    http_status_t status = cupsStartDocument(s.http, s.queue.c_str(), s.jobId, documentName.c_str(), CUPS_FORMAT_RAW, 1);
    if (status != HTTP_STATUS_CONTINUE) {
        s.error = requestUnanswered() ? requestErrorText(s.http) : cupsErrorText();
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

bool CupsSpooler::finishDocument(int& job)
{
    State& s = *state_;
    job = 0;
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
        s.error = requestErrorText(s.http);
        s.cancelJob();
        return false;
    }
    // The spooler holds the whole document: what becomes of the job is its business now.
    job = s.jobId;
    s.jobId = 0;
    return true;
}

SpoolerJobState CupsSpooler::jobState(int job)
{
    State& s = *state_;
    if (job <= 0 || s.documentOpen) {
        // A connection that carries a document cannot ask; the job is asked about later.
        return {};
    }
    return s.jobState(job);
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
