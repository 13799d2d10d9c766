#pragma once
// The private spooler of the tests (scripts/capture-printer.sh, started by the CTest fixture):
// where its captures land, its queue, and the jobs it still holds.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sys/types.h>
#include <string>
#include <thread>
#include <vector>

#include "SendTestSupport.h"

namespace spx::test {

struct CaptureSpooler {
    std::string home;       // the fixture's folder
    std::string captures;   // one .prn file per connection the printer received
    std::string queue;
    std::string server;     // CUPS_SERVER
    int capturePort = 0;

    // The fixture names the private scheduler's socket in CUPS_SERVER; its folder holds the rest,
    // and `sibling` names a folder beside it with another private scheduler of the fixture.
    // False when the tests run outside the fixture.
    bool load(const std::string& sibling = {})
    {
        const char* env = std::getenv("CUPS_SERVER");
        if (!env || !*env)
            return false;
        home = std::filesystem::path(env).parent_path().string();
        if (!sibling.empty())
            home = std::filesystem::path(home).parent_path().string() + "/" + sibling;
        if (home.empty() || !std::filesystem::exists(home + "/spooler.env"))
            return false;
        std::map<std::string, std::string> values;
        std::string content = readFile(home + "/spooler.env");
        size_t pos = 0;
        while (pos < content.size()) {
            size_t end = content.find('\n', pos);
            if (end == std::string::npos)
                end = content.size();
            std::string line = content.substr(pos, end - pos);
            if (auto eq = line.find('='); eq != std::string::npos)
                values[line.substr(0, eq)] = line.substr(eq + 1);
            pos = end + 1;
        }
        captures = home + "/captures";
        queue = values["QUEUE"];
        server = values["CUPS_SERVER"];
        capturePort = std::atoi(values["CAPTURE_PORT"].c_str());
        return !queue.empty() && !server.empty();
    }

    // The scheduler's process, as the script last started it.
    pid_t schedulerPid() const
    {
        std::string content = readFile(home + "/spooler.env");
        auto at = content.find("CUPSD_PID=");
        return at == std::string::npos ? 0 : static_cast<pid_t>(std::atoll(content.c_str() + at + 10));
    }

    // capture-printer.sh with a command on this spooler's folder ("restart", "stop-scheduler",
    // "start-scheduler"); true when it succeeded.
    bool script(const std::string& command) const
    {
        return std::system(("bash '" SPX_CAPTURE_SCRIPT "' " + command + " '" + home + "' >/dev/null 2>&1").c_str()) == 0;
    }

    // Waits until the queue holds no job that has not ended; true when it came to that in time.
    bool awaitNoUnfinishedJobs(const std::string& queueName, std::chrono::seconds limit = std::chrono::seconds(30)) const
    {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (!unfinishedJobs(queueName).empty()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    }

    std::vector<std::string> captureFiles() const
    {
        std::vector<std::string> names;
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(captures, ignored))
            if (entry.path().extension() == ".prn")
                names.push_back(entry.path().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // Runs a command with this spooler as CUPS_SERVER; its standard output.
    std::string run(const std::string& command) const
    {
        std::string full = "CUPS_SERVER='" + server + "' " + command + " 2>&1";
        std::string out;
        if (FILE* pipe = ::popen(full.c_str(), "r")) {
            char buffer[4096];
            size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
                out.append(buffer, n);
            ::pclose(pipe);
        }
        return out;
    }

    // Jobs of the queue that are neither completed, cancelled nor aborted.
    std::string unfinishedJobs(const std::string& queueName) const
    {
        return run("lpstat -W not-completed -o '" + queueName + "'");
    }
};

// The captures that arrive after it was made.
class CaptureWatch {
public:
    explicit CaptureWatch(const CaptureSpooler& spooler) : spooler_(spooler)
    {
        for (const auto& name : spooler.captureFiles())
            seen_.insert(name);
    }

    // Waits until `count` new captures are complete (or the time is up); their bytes in order.
    std::vector<std::string> wait(size_t count, std::chrono::milliseconds limit = std::chrono::seconds(15)) const
    {
        auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;) {
            std::vector<std::string> fresh = freshFiles();
            if (fresh.size() >= count || std::chrono::steady_clock::now() > deadline) {
                std::vector<std::string> contents;
                for (const auto& name : fresh)
                    contents.push_back(readFile(name));
                return contents;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    // After a send whose files all went, nothing more arrives: a short look for strays.
    size_t countAfterQuietPeriod(std::chrono::milliseconds quiet = std::chrono::milliseconds(300)) const
    {
        std::this_thread::sleep_for(quiet);
        return freshFiles().size();
    }

private:
    std::vector<std::string> freshFiles() const
    {
        std::vector<std::string> fresh;
        for (const auto& name : spooler_.captureFiles())
            if (!seen_.count(name))
                fresh.push_back(name);
        return fresh;
    }
    const CaptureSpooler& spooler_;
    std::set<std::string> seen_;
};

} // namespace spx::test
