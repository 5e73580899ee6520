#pragma once

#include <cstdint>
#include <ctime>

namespace kelvane {

// The program's one source of time: the link's millisecond deadlines, the CAM menu's whole seconds, and sleeping.
// Tests substitute a virtual clock so that waits cost nothing and are exact.
class Clock {
public:
    virtual ~Clock() = default;

    // Milliseconds since an arbitrary origin; only differences mean anything.
    virtual std::uint64_t TickCount() const = 0;

    // Whole seconds of the system clock.
    virtual std::time_t SystemSeconds() const = 0;

    virtual void Sleep(std::uint32_t milliseconds) = 0;
};

}  // namespace kelvane
