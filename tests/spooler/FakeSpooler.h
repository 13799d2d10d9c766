#pragma once
// A spooler that keeps every document in memory and fails where a test tells it to. A document
// the spooler accepted is Finished; its job is then as the test sets it (completed unless told).

#include <string>
#include <vector>

#include "Spooler.h"

namespace spx::test {

class FakeSpooler : public Spooler {
public:
    struct Document {
        enum class State { Open, Finished, Cancelled };
        std::string name;
        std::string data;
        std::vector<std::size_t> writes;   // the size of every write, empty ones included
        State state = State::Open;
        SpoolerJobState job{SpoolerJobState::Kind::Completed, {}};   // once Finished
    };

    std::vector<SpoolerQueue> queues{{"capture", "socket://127.0.0.1:9100", true}};
    std::vector<Document> documents;
    std::string openedQueue;
    int openCount = 0;
    int closeCount = 0;
    // What happened, in order: "start N", "finish N", "state N", "cancel N", "close".
    std::vector<std::string> events;
    // Job states asked for while a document was being written.
    int misplacedQuestions = 0;

    // Failures: the n-th document (0-based) fails to start, to finish, or after this many bytes.
    int failStartOf = -1;
    int failFinishOf = -1;
    int failWriteOf = -1;
    int abortAfterUploadOf = -1;   // the printer aborts this document's job once it has it
    // Every job stays waiting, as on a paused queue.
    bool queuePaused = false;
    bool forgetFinishedJobs = false;   // a spooler without job history: every ended job is gone
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

    bool finishDocument(int& job) override
    {
        job = 0;
        if (documents.empty() || documents.back().state != Document::State::Open)
            return fail("no document");
        std::size_t index = documents.size() - 1;
        if (static_cast<int>(index) == failFinishOf) {
            documents.back().state = Document::State::Cancelled;
            return fail(failureText);
        }
        Document& document = documents.back();
        document.state = Document::State::Finished;
        if (queuePaused)
            document.job = {SpoolerJobState::Kind::Waiting, {}};
        else if (static_cast<int>(index) == abortAfterUploadOf)
            document.job = {SpoolerJobState::Kind::Aborted, abortText};
        else if (forgetFinishedJobs)
            document.job = {SpoolerJobState::Kind::Gone, {}};
        events.push_back("finish " + std::to_string(index));
        job = static_cast<int>(index) + 1;
        return true;
    }

    SpoolerJobState jobState(int job) override
    {
        if (!documents.empty() && documents.back().state == Document::State::Open)
            ++misplacedQuestions;
        if (job <= 0 || job > static_cast<int>(documents.size()))
            return {SpoolerJobState::Kind::Gone, {}};
        events.push_back("state " + std::to_string(job - 1));
        return documents[static_cast<std::size_t>(job - 1)].job;
    }

    void cancelDocument() override
    {
        if (!documents.empty() && documents.back().state == Document::State::Open) {
            documents.back().state = Document::State::Cancelled;
            events.push_back("cancel " + std::to_string(documents.size() - 1));
        }
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
