#include "link/FrameSplitter.h"

#include "link/FrameFormat.h"

namespace kelvane {
void FrameSplitter::Start() {
    frame_.assign(1, kFrameStart);
    state_ = State::Destination;
}

bool FrameSplitter::Feed(std::uint8_t byte) {
    if (state_ == State::Idle && !escapePending_) frame_.clear();
    // What the program writes is whole frames: between them, a start byte starts one, whatever follows it.
    if (header_ == Header::Raw && state_ == State::Idle && !escapePending_ && byte == kFrameStart) {
        Start();
        return false;
    }
    if (HeaderIsRaw()) {
        frame_.push_back(byte);
        return Take(byte);
    }
    if (escapePending_) {
        escapePending_ = false;
        if (byte != kFrameStart) {
            // A start byte followed by anything else begins a frame, abandoning one in progress.
            Start();
            frame_.push_back(byte);
            return Take(byte);
        }
        if (state_ == State::Idle) return false;
        frame_.push_back(kFrameStart);
        frame_.push_back(kFrameStart);
        return Take(kFrameStart);
    }
    if (byte == kFrameStart) {
        escapePending_ = true;
        return false;
    }
    if (state_ == State::Idle) return false;
    frame_.push_back(byte);
    return Take(byte);
}

bool FrameSplitter::Take(std::uint8_t value) {
    switch (state_) {
    case State::Idle: return false;
    case State::Destination:
        destination_ = value;
        state_ = State::Source;
        return false;
    case State::Source:
        source_ = value;
        state_ = State::Code;
        return false;
    case State::Code:
        remaining_ = value & kShortLengthBits;
        if (value & kWordLengthForm) {
            remaining_ = 0;
            state_ = State::LengthHigh;
        } else if (value & kByteLengthForm) {
            remaining_ = 0;
            state_ = State::LengthLow;
        } else {
            state_ = remaining_ ? State::Payload : State::Checksum;
        }
        return false;
    case State::LengthHigh:
        remaining_ = static_cast<std::size_t>(value) << 8;
        state_ = State::LengthLow;
        return false;
    case State::LengthLow:
        remaining_ += value;
        state_ = remaining_ ? State::Payload : State::Checksum;
        return false;
    case State::Payload:
        if (--remaining_ == 0) state_ = State::Checksum;
        return false;
    case State::Checksum: state_ = State::Idle; return true;
    }
    return false;
}

}  // namespace kelvane
