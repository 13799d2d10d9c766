#pragma once
// The print spooler as the send loop sees it: one queue opened per send, one RAW document per
// print file. The CUPS implementation lives in CupsSpooler.cpp; tests use a spooler of their own.
//
// Every operation returns false on failure and leaves the spooler's own text for the failure in
// lastErrorText(); a document that fails on its way is cancelled by the spooler, never left
// queued half made.

#include <cstddef>
#include <string>
#include <vector>

namespace spx {

struct SpoolerQueue {
    std::string name;        // as the operator names it ("name" or "name/instance")
    std::string deviceUri;   // where the queue sends to (empty when the spooler does not say)
    bool isDefault = false;
};

// A job after its document was accepted. Completed, Aborted, Cancelled and Gone are final: Gone is
// a job the spooler no longer knows without having said how it ended (a spooler that keeps no job
// history forgets every job it has finished). Waiting, Held and NoAnswer may still change.
struct SpoolerJobState {
    enum class Kind { Waiting, Held, Completed, Aborted, Cancelled, Gone, NoAnswer };
    Kind kind = Kind::NoAnswer;
    std::string reason;   // the spooler's words on an aborted or cancelled job

    bool isFinal() const { return kind == Kind::Completed || kind == Kind::Aborted || kind == Kind::Cancelled || kind == Kind::Gone; }
};

class Spooler {
public:
    virtual ~Spooler() = default;

    // Every queue the spooler offers, in its order.
    virtual bool listQueues(std::vector<SpoolerQueue>& queues) = 0;
    // Opens the queue for the documents that follow; an open queue is closed first.
    virtual bool openQueue(const std::string& name) = 0;
    // Closes the queue; a document being written is cancelled. Jobs already handed over stay.
    virtual void closeQueue() = 0;
    // Starts one document of data type RAW on the open queue, named `documentName`.
    virtual bool startDocument(const std::string& documentName) = 0;
    // Appends bytes to the started document. A write of zero bytes does nothing and succeeds.
    virtual bool write(const void* data, std::size_t count) = 0;
    // Ends the document: true when the spooler accepted it whole, which makes the file sent;
    // `job` then names the spooler's job for jobState (0 when it cannot be followed). A document
    // the spooler refused gives false and leaves no job behind.
    virtual bool finishDocument(int& job) = 0;
    // What the spooler knows of a job now; asks once and never waits.
    virtual SpoolerJobState jobState(int job) = 0;
    // Throws away the started document and its job. Nothing happens without one.
    virtual void cancelDocument() = 0;

    virtual std::string lastErrorText() const = 0;
};

} // namespace spx
