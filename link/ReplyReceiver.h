#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kelvane {

constexpr std::size_t kReplyDataSize = 8192;

// Recognises a reply frame byte by byte, as the bytes come off the line, and keeps the last reply.
// The reply fields survive between frames: a new frame overwrites them as it arrives.
class ReplyReceiver {
public:
    // Start, destination, source, code and checksum: no reply is shorter on the line.
    static constexpr std::size_t kShortestFrame = 5;

    // Forget any frame in progress; the last reply's fields stay as they are.
    void Restart();

    // Feeds one byte from the line; true once a frame has ended (valid or not).
    bool Feed(std::uint8_t byte);

    bool Done() const { return done_; }
    // The fewest bytes the line must still carry before the frame in progress can end (a frame's five when none
    // has started), as its layout so far says. A frame cut short by a new one may end sooner; that is a
    // garbled line, and only a waiter's wake-up depends on this.
    std::size_t BytesToEnd() const;
    // A frame has started and not yet ended (a lone start byte counts: a frame may be starting).
    bool InFrame() const { return !done_ && (state_ != State::Idle || escapePending_); }
    // A whole frame, accepted (0xF0), with a zero checksum and a payload that fit the buffer.
    bool Valid() const { return valid_; }
    // Why a finished frame is not valid, the first that applies: refused, longer than the buffer, bad checksum.
    bool Refused() const { return done_ && code_ != 0xF0; }
    bool Truncated() const { return done_ && truncated_; }
    bool ChecksumBad() const { return done_ && !checksumOk_; }

    std::uint8_t ReplySource() const { return source_; }
    std::uint8_t ReplyCode() const { return code_; }
    std::int32_t ReplyLength() const { return length_; }
    const std::array<std::uint8_t, kReplyDataSize>& ReplyData() const { return data_; }

    // The payload of the last reply, never longer than what was stored.
    std::span<const std::uint8_t> Payload() const;

private:
    enum class State { Idle, Destination, Source, Code, LengthHigh, LengthLow, Payload, Checksum };

    void Process(std::uint8_t byte);
    void AcceptCode(std::uint8_t byte);
    void AfterLength();

    State state_ = State::Idle;
    bool escapePending_ = false;
    std::uint8_t runningXor_ = 0;
    std::int32_t payloadIndex_ = 0;
    bool truncated_ = false;
    bool done_ = false;
    bool valid_ = false;
    bool checksumOk_ = false;

    std::uint8_t source_ = 0;
    std::uint8_t code_ = 0;
    std::int32_t length_ = 0;
    std::array<std::uint8_t, kReplyDataSize> data_{};
};

}  // namespace kelvane
