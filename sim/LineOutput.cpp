#include "sim/LineOutput.h"

#include <algorithm>

namespace kelvane::sim {

LineOutput::LineOutput(bool paced, std::size_t capacity) : paced_(paced), capacity_(capacity) {}

bool LineOutput::Push(std::span<const std::uint8_t> bytes, Clock::time_point earliest, bool endsReply) {
    const std::size_t room = capacity_ - std::min(capacity_, queue_.size());
    const std::size_t taken = std::min(room, bytes.size());
    for (std::size_t i = 0; i < taken; ++i) {
        queue_.push_back(Pending{bytes[i], endsReply && i + 1 == bytes.size(), earliest});
    }
    return taken == bytes.size();
}

LineOutput::Clock::time_point LineOutput::LeaveTime(const Pending& byte, Clock::time_point previous) const {
    // Without pacing, a byte still never overtakes the one before it (a late reply holds back the echo behind it).
    return std::max(byte.earliest, paced_ ? previous + kByteTime : previous);
}

std::size_t LineOutput::PeekDue(Clock::time_point now, std::span<std::uint8_t> out) const {
    Clock::time_point previous = lastLeft_;
    std::size_t count = 0;
    for (const Pending& byte : queue_) {
        if (count == out.size()) break;
        previous = LeaveTime(byte, previous);
        if (previous > now) break;
        out[count++] = byte.value;
    }
    return count;
}

std::size_t LineOutput::Consume(std::size_t count) {
    std::size_t replies = 0;
    for (std::size_t i = 0; i < count && !queue_.empty(); ++i) {
        lastLeft_ = LeaveTime(queue_.front(), lastLeft_);
        if (queue_.front().endsReply) ++replies;
        queue_.pop_front();
    }
    return replies;
}

LineOutput::Clock::time_point LineOutput::NextDue() const {
    return queue_.empty() ? Clock::time_point::max() : LeaveTime(queue_.front(), lastLeft_);
}

}  // namespace kelvane::sim
