#pragma once
// A spooler that keeps every document in memory and fails where a test tells it to.

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
    };

    std::vector<SpoolerQueue> queues{{"capture", "socket://127.0.0.1:9100", true}};
    std::vector<Document> documents;
    std::string openedQueue;
    int openCount = 0;
    int closeCount = 0;

    // Failures: the n-th document (0-based) fails to start, to finish, or after this many bytes.
    int failStartOf = -1;
    int failFinishOf = -1;
    int failWriteOf = -1;
    std::size_t failWriteAfter = 0;
    std::string failureText = "The printer is on fire";

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
        if (!openedQueue.empty())
            ++closeCount;
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
        documents.back().state = Document::State::Finished;
        return true;
    }

    void cancelDocument() override
    {
        if (!documents.empty() && documents.back().state == Document::State::Open)
            documents.back().state = Document::State::Cancelled;
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
