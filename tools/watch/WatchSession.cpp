#include "tools/watch/WatchSession.h"

#include "app/DiscoveryExchanges.h"
#include "link/Xmit.h"
#include "platform/Clock.h"
#include "platform/PortEntry.h"
#include "platform/SerialPort.h"
#include "tools/common/ToolContext.h"
#include "tools/watch/WatchText.h"

#include <algorithm>

namespace kelvane {
namespace {

// How often a wait between rounds looks whether it was told to stop.
constexpr std::uint32_t kStopCheckMs = 100;

// Waits until `due` on the clock, or until told to stop.
void WaitUntil(Clock& clock, std::uint64_t due, const std::function<bool()>& keepGoing) {
    for (std::uint64_t now = clock.TickCount(); now < due && keepGoing(); now = clock.TickCount()) {
        clock.Sleep(static_cast<std::uint32_t>(std::min<std::uint64_t>(kStopCheckMs, due - now)));
    }
}

}  // namespace

WatchSession::WatchSession(RackLine line, const WatchOptions& options, WatchOutput& output, std::size_t index,
                           bool alwaysNamed)
    : line_(std::move(line)), options_(options), output_(output), index_(index), alwaysNamed_(alwaysNamed) {
    // Until the rack answers, the entry asked for (or nothing, for a search of the whole table) says which rack.
    if (!line_.portOption.empty()) {
        const PortEntry entry = ParsePortEntry(line_.portOption);
        rack_ = RackLabel(entry);
        named_ = !entry.rack.empty();
    }
}

int WatchSession::Run(const std::function<bool()>& keepGoing) {
    if (const int status = Start(); status != kCliOk) return status;
    std::uint64_t due = line_.clock.TickCount();
    while (keepGoing()) {
        const std::uint64_t start = line_.clock.TickCount();
        WatchRound round = Round();
        round.durationMs =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(line_.clock.TickCount() - start, UINT32_MAX));
        const bool written = output_.Show(index_, round);
        if (options_.once) {
            if (round.inUse) return kCliPortBusy;
            if (!round.rackFound) return kCliRackNotFound;
            if (!written) return kCliFileError;
            return AllWell(round) ? kCliOk : kCliFindings;
        }
        // Rounds keep their cadence; one slower than the interval is followed by the next once the line has been
        // free long enough for a command waiting for it to take it.
        due = std::max(due + options_.intervalMs, line_.clock.TickCount() + kRoomBetweenRoundsMs);
        WaitUntil(line_.clock, due, keepGoing);
    }
    return kCliOk;
}

int WatchSession::Start() {
    const Connection c = Connect(true);
    if (c.status == kCliOk) return kCliOk;
    if (options_.once || c.status == kCliUsage) {
        output_.Alarm("kelvane-cli: " + (ShownRack().empty() ? std::string() : "[" + ShownRack() + "] ") + c.problem);
        // The metrics say the rack is not there, rather than keep the figures of an earlier run as if they held.
        if (c.status != kCliUsage) output_.Record(index_, LostRound(line_.clock.SystemSeconds()));
        return c.status;
    }
    lastProblem_ = c.problem;
    Alarm(c.problem + ": searching");
    return kCliOk;
}

WatchSession::Connection WatchSession::Connect(bool firstTime) {
    if (!line_.portProblems.empty()) return {kCliUsage, line_.portProblems.front()};
    if (!line_.link.FindPort()) {
        std::string problem;
        for (const std::string& reason : NoRackReasons(line_.link)) problem += (problem.empty() ? "" : "; ") + reason;
        return {kCliRackNotFound, problem};
    }
    SlotTable slots;
    const DiscoveryReport report = RunDiscoveryExchanges(line_.link, slots);
    if (report.inactiveRow) {
        line_.link.ClosePort();
        return {kCliInactiveModule, "inactive module in row " + std::to_string(*report.inactiveRow) +
                                        ": it did not identify itself as an active unit"};
    }
    if (!report.moduleListRead) {
        line_.link.ClosePort();
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
    NameRack();
    watch_.emplace(line_.link, slots, pairs);
    line_.link.ClosePort();  // each round opens the line again, so that every round starts alike
    return {};
}

// The rack is known by the name its entry gives it, else by the port it answered on.
void WatchSession::NameRack() {
    const std::uint8_t number = line_.link.PortNumber();
    port_ = line_.ports.Describe(number);
    const std::string name = line_.ports.RackName(number);
    named_ = !name.empty();
    rack_ = named_ ? name : port_;
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
    const std::time_t now = line_.clock.SystemSeconds();
    if (!watch_) Reconnect();
    if (!watch_) return LostRound(now);
    // The line is held for the round alone: between rounds the operator's window or commands may take it.
    if (!line_.link.OpenPort(line_.link.PortNumber())) {
        return line_.link.LastFailure() == LinkFailure::Busy ? InUseRound(now) : LoseRack(now);
    }
    WatchRound round = watch_->Poll(now);
    line_.link.ClosePort();
    round.rack = rack_;
    round.named = named_;
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
    line_.link.ClosePort();
    return LostRound(now);
}

// A round while another program holds the line: no alarm and no failure, the rack and its modules as last seen.
WatchRound WatchSession::InUseRound(std::time_t now) {
    WatchRound round;
    round.time = now;
    round.rack = rack_;
    round.named = named_;
    round.rackFound = true;
    round.inUse = true;
    round.port = port_;
    round.modules = lastModules_;
    round.pollFailures = carriedFailures_ + watch_->PollFailures();
    return round;
}

// A round without the rack: the modules last seen, none answering; in use when the search met only busy ports.
WatchRound WatchSession::LostRound(std::time_t now) {
    WatchRound round;
    round.time = now;
    round.inUse = line_.link.LastFailure() == LinkFailure::Busy;
    round.rack = rack_;
    round.named = named_;
    round.modules = lastModules_;
    for (ModuleReading& m : round.modules) m.answered = false;
    round.pollFailures = ++carriedFailures_;
    return round;
}

void WatchSession::Alarm(const std::string& text) {
    output_.Alarm(WatchAlarmLine(line_.clock.SystemSeconds(), ShownRack(), text));
}

}  // namespace kelvane
