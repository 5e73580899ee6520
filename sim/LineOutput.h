#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>

namespace kelvane::sim {

// The bytes waiting to go on the line towards the PC (echo and replies, in order), each with the earliest
// time it may leave. When paced, bytes also leave no faster than the line carries them: 10 bits a byte at
// 115200 baud. Single-threaded; the clock is passed in so that the schedule can be checked without waiting.
class LineOutput {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kByteTime = std::chrono::nanoseconds(86'806);
    static constexpr std::size_t kDefaultCapacity = 256 * 1024;

    explicit LineOutput(bool paced, std::size_t capacity = kDefaultCapacity);

    // Queues `bytes`; `endsReply` marks the last one as the end of a reply frame. Bytes beyond the capacity are
    // lost, as on an overrun line; returns false then.
    bool Push(std::span<const std::uint8_t> bytes, Clock::time_point earliest, bool endsReply = false);

    // Copies into `out` the bytes that may have left by `now`, at most out.size(); they stay queued until
    // Consume. Returns how many were copied.
    std::size_t PeekDue(Clock::time_point now, std::span<std::uint8_t> out) const;

    // Takes the first `count` queued bytes off as sent; returns how many reply frames they completed.
    std::size_t Consume(std::size_t count);

    bool Empty() const { return queue_.empty(); }

    // When the first queued byte may leave; Clock::time_point::max() when nothing is queued.
    Clock::time_point NextDue() const;

    void Clear() { queue_.clear(); }

private:
    struct Pending {
        std::uint8_t value;
        bool endsReply;
        Clock::time_point earliest;
    };

    // When a byte may leave, given when the byte before it left.
    Clock::time_point LeaveTime(const Pending& byte, Clock::time_point previous) const;

    bool paced_;
    std::size_t capacity_;
    std::deque<Pending> queue_;
    Clock::time_point lastLeft_{};  // when the last consumed byte left, by the schedule
};

}  // namespace kelvane::sim
