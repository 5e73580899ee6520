#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kelvane {

// Cuts a stream of line bytes into whole frames, kept exactly as they went on the line (stuffing included),
// for recording the traffic. It follows the frame layout only (start, addresses, code, length, payload,
// checksum) and judges nothing: checking a frame is the receiver's job.
class FrameSplitter {
public:
    // How the two address bytes after the start byte are written. The program writes them raw; everything it
    // reads is unstuffed from the byte after the start on, so modules double them.
    enum class Header { Raw, Stuffed };

    explicit FrameSplitter(Header header) : header_(header) {}

    // Feeds one byte; true when it ended a frame, which Frame() then holds until the next byte.
    bool Feed(std::uint8_t byte);

    std::span<const std::uint8_t> Frame() const { return frame_; }
    // The destination and source bytes of the frame (unstuffed).
    std::uint8_t Destination() const { return destination_; }
    std::uint8_t Source() const { return source_; }

private:
    enum class State { Idle, Destination, Source, Code, LengthHigh, LengthLow, Payload, Checksum };

    void Start();
    bool Take(std::uint8_t value);
    bool HeaderIsRaw() const {
        return header_ == Header::Raw && (state_ == State::Destination || state_ == State::Source);
    }

    Header header_;
    State state_ = State::Idle;
    bool escapePending_ = false;
    std::size_t remaining_ = 0;
    std::uint8_t destination_ = 0;
    std::uint8_t source_ = 0;
    std::vector<std::uint8_t> frame_;
};

}  // namespace kelvane
