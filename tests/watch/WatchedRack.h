#pragma once

#include "link/Xmit.h"
#include "platform/VirtualClock.h"
#include "sim/DefaultRack.h"
#include "sim/InputModule.h"
#include "sim/RackEngine.h"
#include "tests/support/VirtualLine.h"
#include "tests/watch/ReadBack.h"
#include "tools/cli/CliCommands.h"
#include "tools/watch/WatchCommand.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <set>
#include <sstream>

namespace kelvane::test {

struct WatchRun {
    int status = -1;
    std::string out;
    std::string err;
};

// The simulator's rack on a line without a terminal, on a virtual clock, with a cable that can be pulled and
// modules that can be made to fall silent: watch runs in process against the simulator's own protocol code.
class WatchedRack final : public PortOpener {
public:
    explicit WatchedRack(const sim::RackDescription& rack = sim::DefaultRack()) : engine_(rack), link_(*this, clock_) {}

    bool unplugged = false;             // the cable pulled: nothing comes back, not even the echo
    std::set<std::uint8_t> silent;      // modules whose replies never reach the line
    bool outIsTerminal = false;
    // When each request reached the rack, on the virtual clock.
    std::vector<std::pair<std::uint64_t, sim::Request>> heardAt;

    VirtualClock& Clock() { return clock_; }
    CXmit& Link() { return link_; }
    sim::RackEngine& Engine() { return engine_; }

    sim::InputModule& Input(std::uint8_t address) {
        auto* input = dynamic_cast<sim::InputModule*>(engine_.Find(address));
        EXPECT_NE(input, nullptr) << "no input module at " << int{address};
        return *input;
    }

    // Runs `kelvane-cli watch ARGS` (parsed as the command line would be) until `keepGoing`, which is handed
    // what was written so far, says to stop.
    WatchRun Watch(const std::vector<std::string>& args,
                   const std::function<bool(const std::string& out, const std::string& err)>& keepGoing) {
        std::ostringstream out, err;
        CliContext cli{link_, *this, clock_, out, err, std::filesystem::temp_directory_path(), outIsTerminal};
        WatchOptions options;
        std::string error;
        WatchRun run;
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
    WatchRun WatchRounds(std::vector<std::string> args, std::size_t rounds,
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
    std::vector<sim::Request> Requests() const { return {engine_.RequestLog().begin(), engine_.RequestLog().end()}; }

    std::unique_ptr<SerialPort> Open(std::uint8_t number) override {
        return number == 0 && !unplugged ? std::make_unique<Port>(*this) : nullptr;
    }
    std::string Describe(std::uint8_t number) const override { return "engine " + std::to_string(number); }

private:
    class Port final : public SerialPort {
    public:
        explicit Port(WatchedRack& rack) : rack_(rack), line_(rack.clock_) {}
        bool Write(std::span<const std::uint8_t> bytes) override {
            if (rack_.unplugged) return true;
            line_.Arrive(bytes);
            const std::size_t heard = rack_.engine_.RequestCount();
            const std::vector<std::uint8_t> replies = rack_.engine_.Respond(bytes);
            if (rack_.engine_.RequestCount() != heard) {
                rack_.heardAt.emplace_back(rack_.clock_.TickCount(), rack_.engine_.RequestLog().back());
            }
            const bool answered = rack_.engine_.RequestCount() == heard ||
                                  !rack_.silent.contains(rack_.engine_.RequestLog().back().destination);
            if (answered) line_.Arrive(replies);
            return true;
        }
        ReadResult Read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) override {
            return line_.Read(into, wait);
        }

    private:
        WatchedRack& rack_;
        VirtualLine line_;
    };

    VirtualClock clock_;
    sim::RackEngine engine_;
    CXmit link_;
};

}  // namespace kelvane::test
