#include "link/ReplyReceiver.h"

#include "link/FrameFormat.h"

#include <algorithm>

namespace kelvane {

void ReplyReceiver::Restart() {
    state_ = State::Idle;
    escapePending_ = false;
    runningXor_ = 0;
    payloadIndex_ = 0;
    truncated_ = false;
    done_ = false;
    valid_ = false;
    checksumOk_ = false;
}

std::span<const std::uint8_t> ReplyReceiver::Payload() const {
    const auto stored = static_cast<std::size_t>(std::clamp<std::int32_t>(length_, 0, kReplyDataSize));
    return {data_.data(), stored};
}

std::size_t ReplyReceiver::BytesToEnd() const {
    const auto count = [](std::int32_t n) { return static_cast<std::size_t>(std::max(n, 0)); };
    if (done_) return 0;
    switch (state_) {
    case State::Idle: return escapePending_ ? kShortestFrame - 1 : kShortestFrame;
    case State::Destination: return 4;
    case State::Source: return 3;
    case State::Code: return 2;
    case State::LengthHigh: return 3 + count(length_);
    case State::LengthLow: return 2 + count(length_);
    case State::Payload: return count(length_ - payloadIndex_) + 1;
    case State::Checksum: return 1;
    }
    return 1;
}

bool ReplyReceiver::Feed(std::uint8_t byte) {
    if (done_) return true;
    if (escapePending_) {
        escapePending_ = false;
        // A start byte followed by anything but a second 0x02 opens a new frame, whatever came before.
        if (byte != kFrameStart) state_ = State::Destination;
    } else if (byte == kFrameStart) {
        escapePending_ = true;
        return false;
    }
    runningXor_ ^= byte;
    Process(byte);
    return done_;
}

void ReplyReceiver::Process(std::uint8_t byte) {
    switch (state_) {
    case State::Idle: break;
    case State::Destination:
        state_ = (byte == kPcAddress || byte == kBroadcastAddress) ? State::Source : State::Idle;
        break;
    case State::Source:
        source_ = byte;
        state_ = State::Code;
        break;
    case State::Code: AcceptCode(byte); break;
    case State::LengthHigh:
        length_ += byte * 256;
        state_ = State::LengthLow;
        break;
    case State::LengthLow:
        length_ += byte;
        AfterLength();
        break;
    case State::Payload:
        // A reply longer than the buffer is read to its end, so the line stays in step, but not stored.
        if (payloadIndex_ < static_cast<std::int32_t>(data_.size())) {
            data_[static_cast<std::size_t>(payloadIndex_)] = byte;
        } else {
            truncated_ = true;
        }
        if (++payloadIndex_ == length_) state_ = State::Checksum;
        break;
    case State::Checksum:
        done_ = true;
        checksumOk_ = runningXor_ == 0;
        valid_ = code_ == 0xF0 && checksumOk_ && !truncated_;
        break;
    }
}

void ReplyReceiver::AcceptCode(std::uint8_t byte) {
    if (byte < 0xE0) {
        state_ = State::Idle;
        return;
    }
    code_ = byte & 0xF0;
    runningXor_ = byte;
    payloadIndex_ = 0;
    truncated_ = false;
    length_ = byte & kShortLengthBits;
    if (byte & kWordLengthForm) {
        state_ = State::LengthHigh;
    } else if (byte & kByteLengthForm) {
        state_ = State::LengthLow;
    } else {
        AfterLength();
    }
}

void ReplyReceiver::AfterLength() { state_ = length_ == 0 ? State::Checksum : State::Payload; }

}  // namespace kelvane
