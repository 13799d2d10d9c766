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

class Spooler {
public:
    virtual ~Spooler() = default;

    // Every queue the spooler offers, in its order.
    virtual bool listQueues(std::vector<SpoolerQueue>& queues) = 0;
    // Opens the queue for the documents that follow; an open queue is closed first.
    virtual bool openQueue(const std::string& name) = 0;
    // Closing confirms every document still awaiting confirmation (its outcome is then lost)
    // and cancels a document being written.
    virtual void closeQueue() = 0;
    // Starts one document of data type RAW on the open queue, named `documentName`.
    virtual bool startDocument(const std::string& documentName) = 0;
    // Appends bytes to the started document. A write of zero bytes does nothing and succeeds.
    virtual bool write(const void* data, std::size_t count) = 0;
    // Ends the upload of the document: true when the spooler took it whole. The document then
    // awaits confirmation (below) while the caller goes on; a document the spooler refused gives
    // false and leaves no job behind.
    virtual bool finishDocument() = 0;
    // Follows the oldest document whose upload has ended to its end: true when (within the
    // spooler's waiting time) the printer took it or the spooler holds it, whole, for delivery;
    // false, with the spooler's text, when the printer aborted it or it was cancelled. Nothing
    // awaiting confirmation succeeds. Not while a document is being written.
    virtual bool confirmDocument() = 0;
    // Throws away the started document and its job. Nothing happens without one.
    virtual void cancelDocument() = 0;

    virtual std::string lastErrorText() const = 0;
};

} // namespace spx
