#pragma once

#include "tools/watch/RackWatch.h"
#include "tools/watch/WatchAlarms.h"
#include "tools/watch/WatchOptions.h"
#include "tools/watch/WatchOutput.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvane {

class CXmit;
class Clock;
class PortOpener;

// One rack's line as a watch uses it; each rack watched has its own.
struct RackLine {
    CXmit& link;
    PortOpener& ports;
    Clock& clock;
    std::string portOption;  // the entry given, when one was
    std::vector<std::string> portProblems;  // what is wrong with it or with KELVANE_PORTS
};

// One rack watched round after round into an output, as rack `index` of those watched. With `alwaysNamed`
// (many racks into one output) every line and alarm says its rack; otherwise only a rack the operator named.
class WatchSession {
public:
    WatchSession(RackLine line, const WatchOptions& options, WatchOutput& output, std::size_t index, bool alwaysNamed);

    // Rounds every `options.intervalMs` while `keepGoing` says so; the exit status (see WatchRack).
    int Run(const std::function<bool()>& keepGoing);

private:
    struct Connection {
        int status = 0;
        std::string problem;  // what stands in the way, for the operator
    };

    int Start();
    WatchRound Round();
    Connection Connect(bool firstTime);
    void Reconnect();
    WatchRound LoseRack(std::time_t now);
    WatchRound InUseRound(std::time_t now);
    WatchRound LostRound(std::time_t now);
    void Alarm(const std::string& text);
    void NameRack();
    // The rack as lines and alarms say it; empty when they need not.
    std::string ShownRack() const { return named_ || alwaysNamed_ ? rack_ : std::string(); }

    RackLine line_;
    const WatchOptions& options_;
    WatchOutput& output_;
    std::size_t index_;
    bool alwaysNamed_;
    std::optional<RackWatch> watch_;
    WatchAlarms alarms_;
    std::string port_;
    std::string rack_;  // the label of every round
    bool named_ = false;
    std::vector<ModuleReading> lastModules_;
    std::uint64_t carriedFailures_ = 0;  // from watches before the last rediscovery, and rounds missed
    std::string lastProblem_;
    bool everFound_ = false;
};

}  // namespace kelvane
