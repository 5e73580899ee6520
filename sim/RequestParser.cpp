#include "sim/RequestParser.h"

namespace kelvane::sim {

std::optional<ParsedFrame> RequestParser::Feed(std::uint8_t byte) {
    switch (state_) {
    case State::Idle:
        if (byte == kStartByte) StartFrame();
        return std::nullopt;
    case State::Destination:
        current_.destination = byte;
        state_ = State::Source;
        return std::nullopt;
    case State::Source:
        if (byte == kPcAddress) {
            current_.source = byte;
            state_ = State::Code;
        } else if (current_.destination == kStartByte) {
            current_.destination = byte;  // the 0x02 taken for the destination was the start byte
        } else {
            state_ = byte == kStartByte ? State::Destination : State::Idle;
        }
        return std::nullopt;
    default: break;
    }
    if (escapePending_) {
        escapePending_ = false;
        if (byte != kStartByte) {
            StartFrame();
            return Feed(byte);
        }
        return Take(byte);
    }
    if (byte == kStartByte) {
        escapePending_ = true;
        return std::nullopt;
    }
    return Take(byte);
}

void RequestParser::StartFrame() {
    current_ = Request{};
    runningXor_ = 0;
    expected_ = 0;
    escapePending_ = false;
    state_ = State::Destination;
}

std::optional<ParsedFrame> RequestParser::Take(std::uint8_t byte) {
    runningXor_ ^= byte;
    switch (state_) {
    case State::Code: return TakeCode(byte);
    case State::LengthHigh:
        expected_ = static_cast<std::size_t>(byte) << 8;
        state_ = State::LengthLow;
        return std::nullopt;
    case State::LengthLow:
        expected_ |= byte;
        AfterLength();
        return std::nullopt;
    case State::Payload:
        current_.payload.push_back(byte);  // never more than expected_, itself at most kMaxPayload
        if (current_.payload.size() == expected_) state_ = State::Checksum;
        return std::nullopt;
    case State::Checksum: return Finish(runningXor_ == 0 ? FrameStatus::Valid : FrameStatus::BadChecksum);
    default: return std::nullopt;
    }
}

std::optional<ParsedFrame> RequestParser::TakeCode(std::uint8_t byte) {
    current_.code = byte;
    const std::uint8_t form = LengthFormOf(byte);
    if (form <= kMaxInlineLength) {
        expected_ = form;
        AfterLength();
    } else if (form == kOneLengthByte) {
        state_ = State::LengthLow;
    } else if (form == kTwoLengthBytes) {
        state_ = State::LengthHigh;
    } else {
        return Finish(FrameStatus::BadLengthForm);
    }
    return std::nullopt;
}

void RequestParser::AfterLength() {
    current_.payload.reserve(expected_);
    state_ = expected_ == 0 ? State::Checksum : State::Payload;
}

ParsedFrame RequestParser::Finish(FrameStatus status) {
    state_ = State::Idle;
    escapePending_ = false;
    ParsedFrame done{status, std::move(current_)};
    current_ = Request{};
    return done;
}

}  // namespace kelvane::sim
