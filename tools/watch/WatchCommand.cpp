// kelvane-cli watch: the module pairs polled as the panel polls them, shown round after round, with alarms
// and a Prometheus file; it never writes to the rack.

#include "tools/watch/WatchCommand.h"

#include "app/DiscoveryExchanges.h"
#include "app/ModuleTypes.h"
#include "config/ConfigFile.h"
#include "link/Xmit.h"
#include "platform/Clock.h"
#include "platform/FileToolkit.h"
#include "platform/SerialPort.h"
#include "tools/watch/RackWatch.h"
#include "tools/common/StopSignals.h"
#include "tools/common/UtcTime.h"
#include "tools/watch/WatchAlarms.h"
#include "tools/watch/WatchJson.h"
#include "tools/watch/WatchPrometheus.h"
#include "tools/watch/WatchText.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <ostream>

namespace kelvane {
namespace {

// How often a wait between rounds looks whether it was told to stop.
constexpr std::uint32_t kStopCheckMs = 100;
constexpr std::size_t kAlarmsOnScreen = 8;
// Cursor to the top left, screen cleared: the table is drawn again in place.
constexpr const char* kRedraw = "\x1b[H\x1b[2J";

class WatchSession {
public:
    WatchSession(CliContext& cli, const WatchOptions& options) : cli_(cli), options_(options) {}

    // The first search; the exit status it calls for, kCliOk when watching can begin.
    int Start();
    // One round: the pairs polled, or, without the rack, one more search for it.
    WatchRound Round();
    // Shows the round and writes the Prometheus file; false when the file could not be written.
    bool Show(const WatchRound& round);

private:
    struct Connection {
        int status = kCliOk;
        std::string problem;  // what stands in the way, for the operator
    };

    Connection Connect(bool firstTime);
    void Reconnect();
    WatchRound LoseRack(std::time_t now);
    WatchRound LostRound(std::time_t now);
    WatchRound InUseRound(std::time_t now);
    void Alarm(const std::string& text);
    bool WritePrometheus(const WatchRound& round);

    CliContext& cli_;
    const WatchOptions& options_;
    std::optional<RackWatch> watch_;
    WatchAlarms alarms_;
    std::string port_;
    std::vector<ModuleReading> lastModules_;
    std::uint64_t carriedFailures_ = 0;  // from watches before the last rediscovery, and rounds missed
    std::string lastProblem_;
    bool everFound_ = false;
    bool fileFailing_ = false;
    std::deque<std::string> latestAlarms_;
};

int WatchSession::Start() {
    const Connection c = Connect(true);
    if (c.status == kCliOk) return kCliOk;
    if (options_.once || c.status == kCliUsage) {
        cli_.err << "kelvane-cli: " << c.problem << '\n';
        // The file says the rack is not there, rather than keep the figures of an earlier run as if they held.
        if (c.status != kCliUsage && !options_.prometheusFile.empty()) {
            WritePrometheus(LostRound(cli_.clock.SystemSeconds()));
        }
        return c.status;
    }
    lastProblem_ = c.problem;
    Alarm(c.problem + ": searching");
    return kCliOk;
}

WatchSession::Connection WatchSession::Connect(bool firstTime) {
    if (!cli_.portProblems.empty()) return {kCliUsage, cli_.portProblems.front()};
    if (!cli_.link.FindPort()) {
        std::string problem;
        for (const std::string& reason : NoRackReasons(cli_.link)) problem += (problem.empty() ? "" : "; ") + reason;
        return {kCliRackNotFound, problem};
    }
    SlotTable slots;
    const DiscoveryReport report = RunDiscoveryExchanges(cli_.link, slots);
    if (report.inactiveRow) {
        cli_.link.ClosePort();
        return {kCliInactiveModule, "inactive module in row " + std::to_string(*report.inactiveRow) +
                                        ": it did not identify itself as an active unit"};
    }
    if (!report.moduleListRead) {
        cli_.link.ClosePort();
        return {kCliIncomplete, "the rack controller did not send its module list"};
    }
    std::vector<int> unpaired;
    const std::vector<ModulePair> pairs = PairsToWatch(slots, options_.rows, unpaired);
    for (const int row : unpaired) {
        const std::string problem = "row " + std::to_string(row) + " is not part of an input/output pair";
        if (firstTime) return {kCliUsage, problem};
        Alarm(problem + " any more: not watched");
    }
    for (const ModulePair& pair : pairs) {
        for (const int row : {pair.inputRow, pair.outputRow}) {
            if (row >= 0 && report.configUnread.test(static_cast<std::size_t>(row))) {
                Alarm("row " + std::to_string(row) + ": configuration not read; its inputs are taken as not tuned");
            }
        }
    }
    port_ = cli_.ports.Describe(cli_.link.PortNumber());
    watch_.emplace(cli_.link, slots, pairs);
    cli_.link.ClosePort();  // each round opens the line again, so that every round starts alike
    return {};
}

void WatchSession::Reconnect() {
    const Connection c = Connect(false);
    if (c.status == kCliOk) {
        Alarm((everFound_ ? "rack found again on " : "rack found on ") + port_);
        lastProblem_.clear();
        return;
    }
    if (c.problem != lastProblem_) Alarm(c.problem + ": searching");
    lastProblem_ = c.problem;
}

WatchRound WatchSession::Round() {
    const std::time_t now = cli_.clock.SystemSeconds();
    if (!watch_) Reconnect();
    if (!watch_) return LostRound(now);
    // The line is held for the round alone: between rounds the operator's window or commands may take it.
    if (!cli_.link.OpenPort(cli_.link.PortNumber())) {
        return cli_.link.LastFailure() == LinkFailure::Busy ? InUseRound(now) : LoseRack(now);
    }
    WatchRound round = watch_->Poll(now);
    cli_.link.ClosePort();
    if (!round.rackFound) return LoseRack(now);
    everFound_ = true;
    round.port = port_;
    round.pollFailures += carriedFailures_;
    lastModules_ = round.modules;
    for (const std::string& alarm : alarms_.Next(round)) Alarm(alarm);
    return round;
}

WatchRound WatchSession::LoseRack(std::time_t now) {
    Alarm(options_.once ? "rack lost" : "rack lost: searching");
    lastProblem_ = kNoRackText;  // said in other words just now
    carriedFailures_ += watch_->PollFailures();
    watch_.reset();
    cli_.link.ClosePort();
    return LostRound(now);
}

// A round while another program holds the line: no alarm and no failure, the rack and its modules as last seen.
WatchRound WatchSession::InUseRound(std::time_t now) {
    return {.time = now, .rackFound = true, .inUse = true, .port = port_, .modules = lastModules_, .inputs = {},
            .channels = {}, .pollFailures = carriedFailures_ + watch_->PollFailures()};
}

// A round without the rack: the modules last seen, none answering; in use when the search met only busy ports.
WatchRound WatchSession::LostRound(std::time_t now) {
    WatchRound round;
    round.time = now;
    round.inUse = cli_.link.LastFailure() == LinkFailure::Busy;
    round.modules = lastModules_;
    for (ModuleReading& m : round.modules) m.answered = false;
    round.pollFailures = ++carriedFailures_;
    return round;
}

void WatchSession::Alarm(const std::string& text) {
    const std::string line = UtcTimestamp(cli_.clock.SystemSeconds()) + " " + text;
    cli_.err << line << '\n' << std::flush;
    latestAlarms_.push_back(line);
    if (latestAlarms_.size() > kAlarmsOnScreen) latestAlarms_.pop_front();
}

bool WatchSession::Show(const WatchRound& round) {
    if (options_.json) {
        cli_.out << WatchJson(round) << '\n';
    } else if (cli_.outIsTerminal) {
        cli_.out << kRedraw << WatchTable(round, {latestAlarms_.begin(), latestAlarms_.end()});
    } else {
        cli_.out << WatchLines(round);
    }
    cli_.out << std::flush;
    return options_.prometheusFile.empty() || WritePrometheus(round);
}

bool WatchSession::WritePrometheus(const WatchRound& round) {
    const std::string text = PrometheusText(round);
    std::error_code why;
    const bool written = ReplaceFileAtomically(PathFromUtf8(options_.prometheusFile),
                                               {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, why);
    if (!written && !fileFailing_) Alarm("cannot write " + options_.prometheusFile + ": " + why.message());
    if (written && fileFailing_) Alarm(options_.prometheusFile + " written again");
    fileFailing_ = !written;
    return written;
}

// Waits until `due` on the clock, or until told to stop.
void WaitUntil(Clock& clock, std::uint64_t due, const std::function<bool()>& keepGoing) {
    for (std::uint64_t now = clock.TickCount(); now < due && keepGoing(); now = clock.TickCount()) {
        clock.Sleep(static_cast<std::uint32_t>(std::min<std::uint64_t>(kStopCheckMs, due - now)));
    }
}

}  // namespace

int WatchRack(CliContext& cli, const WatchOptions& options, const std::function<bool()>& keepGoing) {
    WatchSession session(cli, options);
    if (const int status = session.Start(); status != kCliOk) return status;
    std::uint64_t due = cli.clock.TickCount();
    while (keepGoing()) {
        const WatchRound round = session.Round();
        const bool written = session.Show(round);
        if (options.once) {
            if (round.inUse) return kCliPortBusy;
            if (!round.rackFound) return kCliRackNotFound;
            if (!written) return kCliFileError;
            return AllWell(round) ? kCliOk : kCliFindings;
        }
        // Rounds keep their cadence; one slower than the interval is followed by the next once the line has been
        // free long enough for a command waiting for it to take it.
        due = std::max(due + options.intervalMs, cli.clock.TickCount() + kRoomBetweenRoundsMs);
        WaitUntil(cli.clock, due, keepGoing);
    }
    return kCliOk;
}

int RunWatch(CliContext& cli, const WatchOptions& options) {
    const StopSignals stop;
    return WatchRack(cli, options, [&stop] { return !stop.Requested(); });
}

}  // namespace kelvane
