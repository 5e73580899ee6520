#pragma once

#include "link/Xmit.h"
#include "platform/SerialPort.h"
#include "platform/VirtualClock.h"
#include "sim/Frame.h"
#include "sim/RackEngine.h"
#include "tests/support/VirtualLine.h"

#include <cerrno>
#include <functional>
#include <optional>

namespace kelvane::test {

// What a test may do to a reply on its way to the line: change it, or lose it (nullopt). The rack has acted on
// the request all the same.
using ReplyFilter = std::function<std::optional<sim::Reply>(const sim::Request&, sim::Reply)>;

// The simulated rack on a line without a terminal: what the link writes is echoed and answered by the
// simulator's engine at once, so that tests on the virtual clock talk to a whole rack. Port 0 leads to the
// engine's rack; no other port exists.
class EnginePortOpener final : public PortOpener {
public:
    EnginePortOpener(sim::RackEngine& engine, VirtualClock& clock) : engine_(engine), clock_(clock) {}

    std::unique_ptr<SerialPort> Open(std::uint8_t number) override {
        held_ = number == 0 && (busy || clock_.TickCount() < busyUntilMs);
        if (number != 0 || unplugged || held_) return nullptr;
        return std::make_unique<Port>(*this);
    }
    OpenFailure LastOpenFailure() const override {
        if (!held_) return PortOpener::LastOpenFailure();
        return {Describe(0), EBUSY, true, OpenProblem::Busy, "held by process 4242"};
    }
    std::string Describe(std::uint8_t number) const override { return "engine " + std::to_string(number); }

    // The cable pulled: no port opens, and an open one hears nothing, not even its own echo.
    bool unplugged = false;
    // Another program holds the line, for good or until then on the virtual clock: it cannot be opened.
    bool busy = false;
    std::uint64_t busyUntilMs = 0;
    // Applied to every reply from the next request on.
    ReplyFilter filter;
    // Told of every request the rack hears, as it hears it.
    std::function<void(const sim::Request&)> onHeard;

private:
    class Port final : public LinePort {
    public:
        explicit Port(EnginePortOpener& rack) : LinePort(rack.clock_), rack_(rack) {}

        bool Write(std::span<const std::uint8_t> bytes) override {
            if (rack_.unplugged) return true;
            line.Arrive(bytes);
            for (const std::uint8_t byte : bytes) {
                const std::optional<sim::Exchange> exchange = rack_.engine_.Receive(byte);
                if (!exchange) continue;
                if (rack_.onHeard) rack_.onHeard(exchange->request);
                std::optional<sim::Reply> reply = exchange->reply;
                if (reply && rack_.filter) reply = rack_.filter(exchange->request, *reply);
                if (reply) line.Arrive(sim::EncodeReply(*reply));
            }
            return true;
        }

    private:
        EnginePortOpener& rack_;
    };

    sim::RackEngine& engine_;
    VirtualClock& clock_;
    bool held_ = false;  // the last open met the line held
};

// The simulator's engine behind its port on `clock`, and the link that talks to it: a whole rack in process.
struct EngineRack {
    EngineRack(const sim::RackDescription& rack, VirtualClock& clock)
        : engine(rack), ports(engine, clock), link(ports, clock) {}

    // The requests of `command` to `address` still in the engine's log.
    std::size_t Requests(std::uint8_t address, std::uint8_t command) const {
        std::size_t n = 0;
        for (const sim::Request& r : engine.RequestLog()) n += r.destination == address && r.Command() == command;
        return n;
    }
    // The configuration writes and module restarts still in the log, to any module.
    std::size_t Writes() const {
        std::size_t n = 0;
        for (const sim::Request& r : engine.RequestLog()) n += r.Command() == 0x50 || r.Command() == 0x80;
        return n;
    }

    sim::RackEngine engine;
    EnginePortOpener ports;
    CXmit link;
};

}  // namespace kelvane::test
