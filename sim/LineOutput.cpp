#include "sim/LineOutput.h"

#include <algorithm>

namespace kelvane::sim {

LineOutput::LineOutput(bool paced, std::size_t capacity) : paced_(paced), capacity_(capacity) {}

bool LineOutput::Push(std::span<const std::uint8_t> bytes, Clock::time_point earliest, bool endsReply) {
    const std::size_t room = capacity_ - std::min(capacity_, queue_.size());
    const std::size_t taken = std::min(room, bytes.size());
    for (std::size_t i = 0; i < taken; ++i) {
        const Clock::time_point off = OffTheLine(earliest);
        const Clock::time_point due = ThroughAdapter(off);
        queue_.push_back(Pending{bytes[i], endsReply && i + 1 == bytes.size(), due});
    }
    return taken == bytes.size();
}

LineOutput::Clock::time_point LineOutput::OffTheLine(Clock::time_point earliest) {
    // A byte takes its whole line time before the far end has it. Without pacing a byte still never overtakes the
    // one before it (a late reply holds back the echo behind it).
    const Clock::duration byteTime = paced_ ? kByteTime : Clock::duration::zero();
    lastOff_ = std::max(earliest + byteTime, lastOff_ + byteTime);
    return lastOff_;
}

LineOutput::Clock::time_point LineOutput::ThroughAdapter(Clock::time_point off) {
    if (latency_ <= Clock::duration::zero()) return off;
    if (packetBytes_ == 0 || off > packetStart_ + latency_) {
        packetStart_ = off;
        packetBytes_ = 1;
        return off + latency_;
    }
    if (++packetBytes_ < kAdapterPacket) return packetStart_ + latency_;
    // A full packet goes at once, with the bytes held for it.
    const std::size_t held = std::min(packetBytes_ - 1, queue_.size());
    for (auto it = queue_.end() - static_cast<std::ptrdiff_t>(held); it != queue_.end(); ++it) it->due = off;
    packetBytes_ = 0;
    return off;
}

std::size_t LineOutput::PeekDue(Clock::time_point now, std::span<std::uint8_t> out) const {
    std::size_t count = 0;
    for (const Pending& byte : queue_) {
        if (count == out.size() || byte.due > now) break;
        out[count++] = byte.value;
    }
    return count;
}

std::size_t LineOutput::Consume(std::size_t count) {
    std::size_t replies = 0;
    for (std::size_t i = 0; i < count && !queue_.empty(); ++i) {
        lastSent_ = queue_.front().due;
        if (queue_.front().endsReply) ++replies;
        queue_.pop_front();
    }
    return replies;
}

LineOutput::Clock::time_point LineOutput::NextDue() const {
    return queue_.empty() ? Clock::time_point::max() : queue_.front().due;
}

void LineOutput::Clear() {
    queue_.clear();
    // What was dropped never went on the line, so it holds nothing back.
    lastOff_ = std::min(lastOff_, lastSent_);
    packetBytes_ = 0;
}

}  // namespace kelvane::sim
