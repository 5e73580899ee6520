#pragma once

#include "link/Xmit.h"
#include "platform/VirtualClock.h"
#include "sim/RackEngine.h"
#include "tests/config/SlotTables.h"
#include "tests/support/VirtualLine.h"

#include <deque>

namespace kelvane::test {

// The simulator's rack without its pseudo-terminal: the link's frames go straight into a RackEngine, which reads
// them with its own protocol code, and its replies come back at once behind the echo. Time is virtual, so a
// module that does not answer costs nothing but the link's tries.
class EngineRack final : public PortOpener {
public:
    explicit EngineRack(const sim::RackDescription& rack) : engine_(rack), link_(*this, clock_) {}

    bool Connect() { return link_.FindPort(); }
    CXmit& Link() { return link_; }

    // The requests heard since the last call.
    std::vector<Heard> TakeRequests() {
        std::vector<Heard> fresh = HeardFrom(engine_.RequestLog(), seen_);
        seen_ = engine_.RequestLog().size();
        return fresh;
    }

    std::unique_ptr<SerialPort> Open(std::uint8_t number) override {
        return number == 0 ? std::make_unique<Port>(*this) : nullptr;
    }
    std::string Describe(std::uint8_t number) const override { return "engine " + std::to_string(number); }

private:
    class Port final : public SerialPort {
    public:
        explicit Port(EngineRack& rack) : rack_(rack), line_(rack.clock_) {}
        bool Write(std::span<const std::uint8_t> bytes) override {
            line_.Arrive(bytes);
            line_.Arrive(rack_.engine_.Respond(bytes));
            return true;
        }
        ReadResult Read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) override {
            return line_.Read(into, wait);
        }

    private:
        EngineRack& rack_;
        VirtualLine line_;
    };

    VirtualClock clock_;
    sim::RackEngine engine_;
    CXmit link_;
    std::size_t seen_ = 0;
};

}  // namespace kelvane::test
