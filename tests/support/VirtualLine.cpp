#include "tests/support/VirtualLine.h"

#include <algorithm>

namespace kelvane::test {

void VirtualLine::Arrive(std::span<const std::uint8_t> bytes, std::uint64_t delayMs) {
    // Later bytes never overtake earlier ones, as on a wire.
    std::uint64_t at = clock_.TickCount() + delayMs;
    if (!incoming_.empty()) at = std::max(at, incoming_.back().first);
    for (const std::uint8_t b : bytes) incoming_.emplace_back(at, b);
}

std::size_t VirtualLine::TakeDue(std::span<std::uint8_t> into) {
    std::size_t n = 0;
    while (n < into.size() && !incoming_.empty() && incoming_.front().first <= clock_.TickCount()) {
        into[n++] = incoming_.front().second;
        incoming_.pop_front();
    }
    return n;
}

ReadResult VirtualLine::Read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) {
    const auto waitMs = static_cast<std::uint64_t>(std::max<std::int64_t>(wait.count(), 0));
    if (incoming_.empty() || incoming_.front().first > clock_.TickCount()) {
        const std::uint64_t now = clock_.TickCount();
        const std::uint64_t until = incoming_.empty() ? now + waitMs : std::min(now + waitMs, incoming_.front().first);
        clock_.Advance(until - now);
    }
    const std::size_t n = TakeDue(into);
    return {n, n > 0 ? ReadStatus::Received : ReadStatus::TimedOut};
}

}  // namespace kelvane::test
