#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>

namespace kelvane::sim {

// The bytes waiting to go on the line towards the PC (echo and replies, in order), each with the time it reaches
// the PC. When paced, a byte reaches the PC at the end of its own time on the line (10 bits a byte at 115200
// baud), and no sooner than one byte time after the byte before it. A USB adapter between the line and the PC may
// hold bytes back further (see SetAdapterLatency). Single-threaded; the clock is passed in so that the schedule
// can be checked without waiting.
class LineOutput {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kByteTime = std::chrono::nanoseconds(86'806);
    static constexpr std::size_t kDefaultCapacity = 256 * 1024;
    // The data bytes of one USB packet of an FTDI adapter (64 bytes less two of modem status).
    static constexpr std::size_t kAdapterPacket = 62;

    explicit LineOutput(bool paced, std::size_t capacity = kDefaultCapacity);

    // Bytes reach the PC as an FTDI adapter hands them on: held until `latency` has passed since the first of
    // them came off the line, or until a packet's worth is waiting, whichever is first. Zero (the default) hands
    // each byte on as it comes off the line. The full latency is the adapter's worst case, taken every time so
    // that runs can be compared. Set it before bytes are queued.
    void SetAdapterLatency(Clock::duration latency) { latency_ = latency; }

    // Queues `bytes`, which may go on the line from `earliest`; `endsReply` marks the last one as the end of a
    // reply frame. Bytes beyond the capacity are lost, as on an overrun line; returns false then.
    bool Push(std::span<const std::uint8_t> bytes, Clock::time_point earliest, bool endsReply = false);

    // Copies into `out` the bytes that have reached the PC by `now`, at most out.size(); they stay queued until
    // Consume. Returns how many were copied.
    std::size_t PeekDue(Clock::time_point now, std::span<std::uint8_t> out) const;

    // When queued byte `index` (0 is the first) reaches the PC; only for index < the count PeekDue gave.
    Clock::time_point DueOf(std::size_t index) const { return queue_[index].due; }

    // Takes the first `count` queued bytes off as sent; returns how many reply frames they completed.
    std::size_t Consume(std::size_t count);

    bool Empty() const { return queue_.empty(); }

    // When the first queued byte reaches the PC; Clock::time_point::max() when nothing is queued.
    Clock::time_point NextDue() const;

    void Clear();

private:
    struct Pending {
        std::uint8_t value;
        bool endsReply;
        Clock::time_point due;  // when it reaches the PC
    };

    // When a byte that may go on the line from `earliest` is off it, after every byte queued before it.
    Clock::time_point OffTheLine(Clock::time_point earliest);
    // When the adapter hands on a byte that came off the line at `off`; may bring forward the bytes of a packet
    // this byte fills.
    Clock::time_point ThroughAdapter(Clock::time_point off);

    bool paced_;
    std::size_t capacity_;
    Clock::duration latency_{0};
    std::deque<Pending> queue_;
    Clock::time_point lastOff_{};  // when the last queued byte is off the line
    Clock::time_point lastSent_{};  // when the last consumed byte reached the PC
    // The adapter's packet being filled: when its first byte came off the line and how many it holds (0: none).
    Clock::time_point packetStart_{};
    std::size_t packetBytes_ = 0;
};

}  // namespace kelvane::sim
