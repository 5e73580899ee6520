#pragma once

#include "sim/Frame.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kelvane::sim {

enum class FrameStatus {
    Valid,
    BadChecksum,  // the frame ran to its end but its bytes do not XOR to zero
    BadLengthForm,  // the code byte's low nibble is none of 0-3, 0x04, 0x08; the frame is abandoned there
};

struct ParsedFrame {
    FrameStatus status = FrameStatus::Valid;
    Request request;  // for BadLengthForm only the header and the code byte are filled in
};

// Recognises request frames in the bytes the PC writes, one byte at a time.
//
// The header (start byte, destination, 0xFD) is raw, so a destination of 0x02 is a plain address there; from
// the code byte on, 0x02 0x02 is one data byte and 0x02 followed by anything else starts a new frame. A source
// byte other than 0xFD abandons the frame, except that a header whose "destination" was 0x02 is re-read with
// that byte as the start, so a stray 0x02 before a frame does not swallow it.
class RequestParser {
public:
    std::optional<ParsedFrame> Feed(std::uint8_t byte);

private:
    enum class State { Idle, Destination, Source, Code, LengthHigh, LengthLow, Payload, Checksum };

    std::optional<ParsedFrame> Take(std::uint8_t byte);
    std::optional<ParsedFrame> TakeCode(std::uint8_t byte);
    void StartFrame();
    void AfterLength();
    ParsedFrame Finish(FrameStatus status);

    State state_ = State::Idle;
    bool escapePending_ = false;
    std::uint8_t runningXor_ = 0;
    std::size_t expected_ = 0;
    Request current_;
};

}  // namespace kelvane::sim
