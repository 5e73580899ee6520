#pragma once

#include "platform/SerialPort.h"
#include "platform/VirtualClock.h"
#include "sim/Frame.h"
#include "sim/RackEngine.h"
#include "tests/support/VirtualLine.h"

#include <functional>
#include <optional>

namespace kelvane::test {

// What a test may do to a reply on its way to the line: change it, or lose it (nullopt). The rack has acted on
// the request all the same.
using ReplyFilter = std::function<std::optional<sim::Reply>(const sim::Request&, sim::Reply)>;

// The simulated rack on a line without a terminal: what the link writes is echoed and answered by the
// simulator's engine at once, so that tests on the virtual clock talk to a whole rack.
class EnginePort final : public SerialPort {
public:
    EnginePort(sim::RackEngine& engine, VirtualClock& clock, const ReplyFilter* filter = nullptr)
        : engine_(engine), line_(clock), filter_(filter) {}

    bool Write(std::span<const std::uint8_t> bytes) override {
        line_.Arrive(bytes);
        for (const std::uint8_t byte : bytes) {
            const std::optional<sim::Exchange> exchange = engine_.Receive(byte);
            if (!exchange || !exchange->reply) continue;
            std::optional<sim::Reply> reply = exchange->reply;
            if (filter_ != nullptr && *filter_) reply = (*filter_)(exchange->request, *reply);
            if (reply) line_.Arrive(sim::EncodeReply(*reply));
        }
        return true;
    }

    ReadResult Read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) override {
        return line_.Read(into, wait);
    }

private:
    sim::RackEngine& engine_;
    VirtualLine line_;
    const ReplyFilter* filter_;
};

// Port 0 leads to the engine's rack; no other port exists.
class EnginePortOpener final : public PortOpener {
public:
    EnginePortOpener(sim::RackEngine& engine, VirtualClock& clock) : engine_(engine), clock_(clock) {}
    std::unique_ptr<SerialPort> Open(std::uint8_t number) override {
        if (number != 0 || !connected) return nullptr;
        return std::make_unique<EnginePort>(engine_, clock_, &filter);
    }
    std::string Describe(std::uint8_t number) const override { return "engine " + std::to_string(number); }
    bool connected = true;
    // Applied to every reply from the next request on.
    ReplyFilter filter;

private:
    sim::RackEngine& engine_;
    VirtualClock& clock_;
};

}  // namespace kelvane::test
