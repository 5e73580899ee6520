#pragma once

#include "platform/Clock.h"

namespace kelvane {

// The real clock: a monotonic millisecond counter, the wall clock and a real sleep.
class SystemClock final : public Clock {
public:
    std::uint64_t TickCount() const override;
    std::time_t SystemSeconds() const override;
    void Sleep(std::uint32_t milliseconds) override;
};

}  // namespace kelvane
