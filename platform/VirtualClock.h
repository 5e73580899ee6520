#pragma once

#include "platform/Clock.h"

#include <functional>

namespace kelvane {

// A clock that moves only when told to, so that tests see time-outs and deadlines without waiting for them.
// Sleeping advances it; a hook lets a test or a simulated device act as time passes.
class VirtualClock final : public Clock {
public:
    explicit VirtualClock(std::uint64_t startTick = 1000, std::time_t startSeconds = 1'700'000'000);

    std::uint64_t TickCount() const override { return tick_; }
    std::time_t SystemSeconds() const override;
    void Sleep(std::uint32_t milliseconds) override { Advance(milliseconds); }

    void Advance(std::uint64_t milliseconds);

    // Called after every advance with the new tick count.
    void OnAdvance(std::function<void(std::uint64_t)> hook) { onAdvance_ = std::move(hook); }

private:
    std::uint64_t tick_;
    std::uint64_t startTick_;
    std::time_t startSeconds_;
    std::function<void(std::uint64_t)> onAdvance_;
};

}  // namespace kelvane
