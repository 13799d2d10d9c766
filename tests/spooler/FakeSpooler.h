#pragma once
// A spooler that keeps every document in memory and fails where a test tells it to. A document
// whose upload has ended is Uploaded until it is confirmed: then Finished, or Aborted where the
// test has the printer abort it.

#include <string>
#include <vector>

#include "Spooler.h"

namespace spx::test {

class FakeSpooler : public Spooler {
public:
    struct Document {
        enum class State { Open, Uploaded, Finished, Aborted, Cancelled };
        std::string name;
        std::string data;
        std::vector<std::size_t> writes;   // the size of every write, empty ones included
        State state = State::Open;
    };

    std::vector<SpoolerQueue> queues{{"capture", "socket://127.0.0.1:9100", true}};
    std::vector<Document> documents;
    std::string openedQueue;
    int openCount = 0;
    int closeCount = 0;
    // What happened, in order: "start N", "finish N", "confirm N", "cancel N", "close".
    std::vector<std::string> events;
    // Confirmations asked for while a document was being written, or with none awaiting.
    int misplacedConfirms = 0;
    int confirmedByClose = 0;   // documents the closing had to confirm, their outcome unreported

    // Failures: the n-th document (0-based) fails to start, to finish, or after this many bytes.
    int failStartOf = -1;
    int failFinishOf = -1;
    int failWriteOf = -1;
    int abortAfterUploadOf = -1;   // the printer aborts this document once it has it
    std::size_t failWriteAfter = 0;
    std::string failureText = "The printer is on fire";
    std::string abortText = "The printer ran out of toner";

    bool listQueues(std::vector<SpoolerQueue>& out) override { out = queues; return true; }

    bool openQueue(const std::string& name) override
    {
        for (const auto& queue : queues) {
            if (queue.name == name) {
                openedQueue = name;
                ++openCount;
                return true;
            }
        }
        error_ = "The printer or class does not exist.";
        return false;
    }

    void closeQueue() override
    {
        cancelDocument();
        for (; awaitingCount() > 0; ++confirmedByClose)
            confirmDocument();
        if (!openedQueue.empty()) {
            ++closeCount;
            events.push_back("close");
        }
        openedQueue.clear();
    }

    bool startDocument(const std::string& name) override
    {
        if (openedQueue.empty())
            return fail("no queue");
        if (static_cast<int>(documents.size()) == failStartOf) {
            documents.push_back({name, {}, {}, Document::State::Cancelled});
            return fail(failureText);
        }
        documents.push_back({name, {}, {}, Document::State::Open});
        events.push_back("start " + std::to_string(documents.size() - 1));
        return true;
    }

    bool write(const void* data, std::size_t count) override
    {
        if (documents.empty() || documents.back().state != Document::State::Open)
            return fail("no document");
        Document& document = documents.back();
        if (static_cast<int>(documents.size()) - 1 == failWriteOf && document.data.size() + count > failWriteAfter)
            return fail(failureText);
        document.writes.push_back(count);
        document.data.append(static_cast<const char*>(data), count);
        return true;
    }

    bool finishDocument() override
    {
        if (documents.empty() || documents.back().state != Document::State::Open)
            return fail("no document");
        if (static_cast<int>(documents.size()) - 1 == failFinishOf) {
            documents.back().state = Document::State::Cancelled;
            return fail(failureText);
        }
        documents.back().state = Document::State::Uploaded;
        events.push_back("finish " + std::to_string(documents.size() - 1));
        return true;
    }

    bool confirmDocument() override
    {
        bool writing = !documents.empty() && documents.back().state == Document::State::Open;
        for (std::size_t i = 0; i < documents.size(); ++i) {
            Document& document = documents[i];
            if (document.state != Document::State::Uploaded)
                continue;
            if (writing) {
                ++misplacedConfirms;
                return fail("a document is being written");
            }
            events.push_back("confirm " + std::to_string(i));
            if (static_cast<int>(i) == abortAfterUploadOf) {
                document.state = Document::State::Aborted;
                return fail(abortText);
            }
            document.state = Document::State::Finished;
            return true;
        }
        ++misplacedConfirms;
        return true;
    }

    void cancelDocument() override
    {
        if (!documents.empty() && documents.back().state == Document::State::Open) {
            documents.back().state = Document::State::Cancelled;
            events.push_back("cancel " + std::to_string(documents.size() - 1));
        }
    }

    std::size_t awaitingCount() const
    {
        std::size_t count = 0;
        for (const auto& document : documents)
            count += document.state == Document::State::Uploaded;
        return count;
    }

    std::string lastErrorText() const override { return error_; }

    std::vector<const Document*> finished() const
    {
        std::vector<const Document*> out;
        for (const auto& document : documents)
            if (document.state == Document::State::Finished)
                out.push_back(&document);
        return out;
    }

private:
    bool fail(const std::string& text)
    {
        error_ = text;
        return false;
    }
    std::string error_;
};

} // namespace spx::test
