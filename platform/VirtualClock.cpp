#include "platform/VirtualClock.h"

namespace kelvane {

VirtualClock::VirtualClock(std::uint64_t startTick, std::time_t startSeconds)
    : tick_(startTick), startTick_(startTick), startSeconds_(startSeconds) {}

std::time_t VirtualClock::SystemSeconds() const {
    return startSeconds_ + static_cast<std::time_t>((tick_ - startTick_) / 1000);
}

void VirtualClock::Advance(std::uint64_t milliseconds) {
    tick_ += milliseconds;
    if (onAdvance_) onAdvance_(tick_);
}

}  // namespace kelvane
