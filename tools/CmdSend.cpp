// spxjob send / queues: the window's send command on the command line, and the spooler's queues.

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <iostream>

#include "CupsSpooler.h"
#include "DocumentSendJob.h"
#include "SendLoop.h"
#include "SpxDoc.h"
#include "ToolCommand.h"

namespace spx::tool {

namespace {

// Nobody can locate a missing file on the command line: it is reported as not sent, in its place
// among the result lines.
class SendConsoleDialogs : public ConsoleDialogs {
public:
    explicit SendConsoleDialogs(const StringTable& strings) : strings_(strings) {}
    FileDialogResult openFileName(const FileDialogRequest& request) override
    {
        statusText(formatText(strings_.text(IdsFileNotSent), request.initialName));
        return {};
    }

private:
    const StringTable& strings_;
};

std::atomic<bool>* interruptFlag = nullptr;

// The first Ctrl+C ends the send after the file on its way, like Escape in the window; the
// second ends the program.
extern "C" void onInterrupt(int)
{
    if (interruptFlag)
        interruptFlag->store(false);
    std::signal(SIGINT, SIG_DFL);
}

// Progress of a large file on a terminal: one line, rewritten.
class TerminalProgress {
public:
    static constexpr std::uint64_t kShownFrom = 16u << 20;

    void operator()(std::uint64_t done, std::uint64_t total)
    {
        if (!enabled_ || total < kShownFrom)
            return;
        int percent = total ? static_cast<int>(done * 100 / total) : 100;
        if (percent == lastPercent_)
            return;
        lastPercent_ = percent;
        std::cerr << "\r  " << percent << "% of " << (total >> 20) << " MB" << std::flush;
        if (done >= total) {
            std::cerr << "\r\033[K" << std::flush;
            lastPercent_ = -1;
        }
    }

private:
    bool enabled_ = ::isatty(STDERR_FILENO) != 0;
    int lastPercent_ = -1;
};

const char* const kSendUsage =
    "usage: spxjob send [--config DIR] --queue QUEUE [--job JOBFILE] [--wait SECONDS] FILE...";

int send(ToolContext& context)
{
    std::string queue;
    std::string jobFile;
    int waitSeconds = 60;
    std::vector<std::string> files;
    auto& args = context.args;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        bool hasValue = i + 1 < args.size();
        if (word == "--queue" && hasValue)
            queue = args[++i];
        else if (word.rfind("--queue=", 0) == 0)
            queue = word.substr(8);
        else if (word == "--job" && hasValue)
            jobFile = args[++i];
        else if (word.rfind("--job=", 0) == 0)
            jobFile = word.substr(6);
        else if (word == "--wait" && hasValue)
            waitSeconds = std::atoi(args[++i].c_str());
        else if (word == "--")
            files.insert(files.end(), args.begin() + static_cast<long>(i) + 1, args.end()), i = args.size();
        else if (word.size() > 1 && word[0] == '-') {
            std::cerr << kSendUsage << "\n";
            return 2;
        } else
            files.push_back(word);
    }
    if (queue.empty()) {
        std::cerr << kSendUsage << "\n";
        return 2;
    }

    SendConsoleDialogs dialogs(context.config.strings);
    CSpxDoc doc(context.config, dialogs);
    if (!doc.OnNewDocument())
        return 1;
    if (!jobFile.empty() && !doc.OnOpenDocument(jobFile))
        return 1;

    CupsSpooler spooler;
    // --wait: the longest wait for the printer to confirm one job (each is followed while the
    // next file goes up); at most a day, which keeps the milliseconds within an int.
    spooler.setCompletionWait(std::min(waitSeconds, 86400) * 1000);
    // Without option pages, the controls are as the job setup pages leave them after loading the job.
    DocumentSendJob job(doc, dialogs);
    SendLoop loop(spooler, dialogs, context.config.strings, job);
    TerminalProgress progress;
    loop.onProgress = [&progress](std::uint64_t done, std::uint64_t total) { progress(done, total); };

    interruptFlag = &loop.sendingFlag();
    auto previous = std::signal(SIGINT, onInterrupt);
    SendOutcome outcome = loop.SendJob(queue, doc.GetSettingsMode(), files);
    std::signal(SIGINT, previous);
    interruptFlag = nullptr;

    if (files.empty() || !outcome.queueOpened)
        return 1;
    return outcome.sentCount() == files.size() ? 0 : 1;
}

int queues(ToolContext& context)
{
    if (!context.args.empty()) {
        std::cerr << "usage: spxjob queues\n";
        return 2;
    }
    CupsSpooler spooler;
    std::vector<SpoolerQueue> list;
    if (!spooler.listQueues(list)) {
        context.dialogs.messageBox(context.config.strings.text(IdsSpoolerError) + "\n\n" + spooler.lastErrorText(),
                                   MessageIcon::Stop, MessageButtons::Ok);
        return 1;
    }
    for (const SpoolerQueue& entry : list)
        std::cout << entry.name << (entry.isDefault ? " (default)" : "") << "\t"
                  << (entry.deviceUri.empty() ? "-" : entry.deviceUri) << "\n";
    return 0;
}

ToolCommandRegistrar sendCommand({"send",
    "send --queue QUEUE [--job JOBFILE] [--wait SECONDS] FILE...   send print files as the window does", send});
ToolCommandRegistrar queuesCommand({"queues", "queues                  list the printer queues and their devices", queues});

} // namespace
} // namespace spx::tool
