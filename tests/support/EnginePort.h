#pragma once

#include "platform/SerialPort.h"
#include "platform/VirtualClock.h"
#include "sim/Frame.h"
#include "sim/RackEngine.h"

#include <deque>
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
        : engine_(engine), clock_(clock), filter_(filter) {}

    bool Write(std::span<const std::uint8_t> bytes) override {
        incoming_.insert(incoming_.end(), bytes.begin(), bytes.end());
        for (const std::uint8_t byte : bytes) {
            const std::optional<sim::Exchange> exchange = engine_.Receive(byte);
            if (!exchange || !exchange->reply) continue;
            std::optional<sim::Reply> reply = exchange->reply;
            if (filter_ != nullptr && *filter_) reply = (*filter_)(exchange->request, *reply);
            if (!reply) continue;
            const std::vector<std::uint8_t> frame = sim::EncodeReply(*reply);
            incoming_.insert(incoming_.end(), frame.begin(), frame.end());
        }
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
    const ReplyFilter* filter_;
    std::deque<std::uint8_t> incoming_;
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
