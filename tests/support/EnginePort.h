#pragma once

#include "platform/SerialPort.h"
#include "platform/VirtualClock.h"
#include "sim/RackEngine.h"

#include <deque>

namespace kelvane::test {

// The simulated rack on a line without a terminal: what the link writes is echoed and answered by the
// simulator's engine at once, so that tests on the virtual clock talk to a whole rack.
class EnginePort final : public SerialPort {
public:
    EnginePort(sim::RackEngine& engine, VirtualClock& clock) : engine_(engine), clock_(clock) {}

    bool Write(std::span<const std::uint8_t> bytes) override {
        incoming_.insert(incoming_.end(), bytes.begin(), bytes.end());
        const std::vector<std::uint8_t> replies = engine_.Respond(bytes);
        incoming_.insert(incoming_.end(), replies.begin(), replies.end());
        return true;
    }

    std::optional<std::uint8_t> ReadByte() override {
        if (incoming_.empty()) {
            clock_.Advance(1);
            return std::nullopt;
        }
        const std::uint8_t b = incoming_.front();
        incoming_.pop_front();
        return b;
    }

private:
    sim::RackEngine& engine_;
    VirtualClock& clock_;
    std::deque<std::uint8_t> incoming_;
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
