#pragma once

#include "platform/SerialPort.h"
#include "platform/VirtualClock.h"
#include "tests/support/VirtualLine.h"
#include "sim/RackEngine.h"

#include <deque>

namespace kelvane::test {

// The simulated rack on a line without a terminal: what the link writes is echoed and answered by the
// simulator's engine at once, so that tests on the virtual clock talk to a whole rack.
class EnginePort final : public SerialPort {
public:
    EnginePort(sim::RackEngine& engine, VirtualClock& clock) : engine_(engine), line_(clock) {}

    bool Write(std::span<const std::uint8_t> bytes) override {
        line_.Arrive(bytes);
        line_.Arrive(engine_.Respond(bytes));
        return true;
    }

    ReadResult Read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) override {
        return line_.Read(into, wait);
    }

private:
    sim::RackEngine& engine_;
    VirtualLine line_;
};

// Port 0 leads to the engine's rack; no other port exists.
class EnginePortOpener final : public PortOpener {
public:
    EnginePortOpener(sim::RackEngine& engine, VirtualClock& clock) : engine_(engine), clock_(clock) {}
    std::unique_ptr<SerialPort> Open(std::uint8_t number) override {
        if (number != 0 || !connected) return nullptr;
        return std::make_unique<EnginePort>(engine_, clock_);
    }
    std::string Describe(std::uint8_t number) const override { return "engine " + std::to_string(number); }
    bool connected = true;

private:
    sim::RackEngine& engine_;
    VirtualClock& clock_;
};

}  // namespace kelvane::test
