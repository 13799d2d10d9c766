// spxjob send / queues: the window's send command on the command line, and the spooler's queues.

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <iostream>

#include "CupsSpooler.h"
#include "DocumentSendJob.h"
#include "rules/ItemDisabling.h"
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
        statusText(formatText(strings_.text(IdsFileNotSent), printableName(request.initialName)));
        return {};
    }

private:
    const StringTable& strings_;
};

// The first of Ctrl+C, SIGTERM and SIGHUP (a closed terminal) that arrived during a send; the send
// loop reads it between blocks.
std::atomic<int> stopSignal{0};

extern "C" void onStopSignal(int signal)
{
    int none = 0;
    stopSignal.compare_exchange_strong(none, signal);
}

// While a send runs, these signals break it off: the document on its way is cancelled, its job
// and the staging files go, and every file gets its line. A second signal during that clean-up
// changes nothing; once it is done the program ends by the first signal, as it would have.
class StopSignals {
public:
    StopSignals()
    {
        struct sigaction action {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (std::size_t i = 0; i < kCount; ++i)
            ::sigaction(kSignals[i], &action, &previous_[i]);
    }
    ~StopSignals()
    {
        for (std::size_t i = 0; i < kCount; ++i)
            ::sigaction(kSignals[i], &previous_[i], nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    static bool arrived() { return stopSignal.load() != 0; }
    // Ends the program by the signal that stopped the send, once the handlers are the previous ones.
    static void endBySignal()
    {
        int signal = stopSignal.load();
        if (signal == 0)
            return;
        std::cout.flush();
        std::cerr.flush();
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }

private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    static constexpr std::size_t kCount = sizeof kSignals / sizeof kSignals[0];
    struct sigaction previous_[kCount] {};
};

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

// --wait: how long to wait, after the last file, for every job's final state (at most a day).
constexpr long long kMaxWaitSeconds = 86400;

int send(ToolContext& context)
{
    const std::string& queue = context.options.text("queue");
    const std::string& jobFile = context.options.text("job");
    const long long waitSeconds = context.options.number("wait", 0);
    std::vector<std::string> files = context.options.positional();

    SendConsoleDialogs dialogs(context.config.strings);
    CSpxDoc doc(context.config, dialogs);
    if (!doc.OnNewDocument())
        return 1;
    if (!jobFile.empty() && !doc.OnOpenDocument(jobFile))
        return 1;

    CupsSpooler spooler;
    // Without option pages, the controls are as the job setup pages leave them after loading the
    // job and applying the item-disabling rules.
    ItemLockFlags locks;
    std::string rulesMessage;
    if (!itemLocksFromConfiguration(context.config, doc.options(), locks, rulesMessage)) {
        std::cerr << "spxjob: " << rulesMessage << "\n";
        return 1;
    }
    DocumentSendJob job(doc, dialogs, locks);
    SendLoop loop(spooler, dialogs, context.config.strings, job);
    TerminalProgress progress;
    loop.onProgress = [&progress](std::uint64_t done, std::uint64_t total) { progress(done, total); };
    loop.finalStateWait = std::chrono::seconds(waitSeconds);

    SendOutcome outcome;
    {
        StopSignals signals;
        loop.abortRequested = &StopSignals::arrived;
        spooler.setAbortCheck(&StopSignals::arrived);
        outcome = loop.SendJob(queue, doc.GetSettingsMode(), files);
    }
    StopSignals::endBySignal();

    if (files.empty() || !outcome.queueOpened)
        return 1;
    return outcome.sentCount() == files.size() && outcome.endedUnprintedCount() == 0 ? 0 : 1;
}

int queues(ToolContext& context)
{
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

} // namespace

ToolCommand sendCommand()
{
    return {"send", "FILE...", "send print files as the window does; one result line per file",
            {textOption("queue", 0, "QUEUE", "the printer queue", true),
             textOption("job", 0, "JOBFILE", "the job file whose options the header carries (default: a new job)"),
             numberOption("wait", "SECONDS", 0, kMaxWaitSeconds,
                          "after the last file, wait up to SECONDS for each job's final state and print it")},
            0, kAnyCount, send};
}

ToolCommand queuesCommand()
{
    return {"queues", "", "list the printer queues and their devices", {}, 0, 0, queues};
}

} // namespace spx::tool
