#pragma once

#include "link/Xmit.h"
#include "platform/VirtualClock.h"
#include "sim/DefaultRack.h"
#include "sim/InputModule.h"
#include "sim/RackEngine.h"
#include "tests/support/CliRun.h"
#include "tests/support/EnginePort.h"
#include "tests/watch/ReadBack.h"
#include "tools/cli/CliCommands.h"
#include "tools/watch/WatchCommand.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <sstream>

namespace kelvane::test {

// The simulator's rack on a line without a terminal, on a virtual clock, with a cable that can be pulled and
// modules that can be made to fall silent: watch runs in process against the simulator's own protocol code.
class WatchedRack final {
    VirtualClock clock_;
    EngineRack rack_;

public:
    explicit WatchedRack(const sim::RackDescription& rack = sim::DefaultRack()) : rack_(rack, clock_) {
        rack_.ports.filter = [this](const sim::Request& request, sim::Reply reply) -> std::optional<sim::Reply> {
            if (silent.contains(request.destination)) return std::nullopt;
            return reply;
        };
        rack_.ports.onHeard = [this](const sim::Request& request) {
            heardAt.emplace_back(clock_.TickCount(), request);
        };
    }

    bool& unplugged = rack_.ports.unplugged;  // the cable pulled: nothing comes back, not even the echo
    bool& busy = rack_.ports.busy;  // another program holds the line: it cannot be opened
    std::uint64_t& busyUntilMs = rack_.ports.busyUntilMs;  // ... or holds it until then on the virtual clock
    std::set<std::uint8_t> silent;  // modules whose replies never reach the line
    bool outIsTerminal = false;
    // When each request reached the rack, on the virtual clock.
    std::vector<std::pair<std::uint64_t, sim::Request>> heardAt;

    VirtualClock& Clock() { return clock_; }
    CXmit& Link() { return rack_.link; }
    PortOpener& Ports() { return rack_.ports; }
    sim::RackEngine& Engine() { return rack_.engine; }

    sim::InputModule& Input(std::uint8_t address) {
        auto* input = dynamic_cast<sim::InputModule*>(rack_.engine.Find(address));
        EXPECT_NE(input, nullptr) << "no input module at " << int{address};
        return *input;
    }

    // Runs `kelvane-cli watch ARGS` (parsed as the command line would be) until `keepGoing`, which is handed
    // what was written so far, says to stop.
    CliRun Watch(const std::vector<std::string>& args,
                 const std::function<bool(const std::string& out, const std::string& err)>& keepGoing) {
        std::ostringstream out, err;
        const std::filesystem::path folder = std::filesystem::temp_directory_path();
        CliContext cli{rack_.link, rack_.ports, clock_, out, err, folder, outIsTerminal};
        WatchOptions options;
        std::string error;
        CliRun run;
        if (!ParseWatchOptions(args, options, error)) {
            ADD_FAILURE() << error;
            return run;
        }
        run.status = WatchRack(cli, options, [&] { return keepGoing(out.str(), err.str()); });
        run.out = out.str();
        run.err = err.str();
        return run;
    }

    // Runs watch with --json until it has written `rounds` rounds, calling `beforeRound` with the number of
    // the round about to be made (from 0).
    CliRun WatchRounds(std::vector<std::string> args, std::size_t rounds,
                       const std::function<void(std::size_t round)>& beforeRound = {}) {
        args.push_back("--json");
        std::size_t announced = 0;
        return Watch(args, [&](const std::string& out, const std::string&) {
            const std::size_t made = Lines(out).size();
            if (made >= rounds) return false;
            if (beforeRound && made == announced) beforeRound(announced++);
            return true;
        });
    }

    // Every request the rack heard, oldest first.
    std::vector<sim::Request> Requests() const {
        return {rack_.engine.RequestLog().begin(), rack_.engine.RequestLog().end()};
    }
};

}  // namespace kelvane::test
