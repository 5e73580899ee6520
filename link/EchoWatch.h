#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kelvane {

// Finds our own request frame in what the half-duplex line gives back. On a FIFO line everything before the
// echo of a request was sent before the rack heard it, so only what follows the echo can answer it; and the
// echo's delay is the line's round trip.
class EchoWatch {
public:
    // The frame to watch for from now on; what was matched of an earlier one is forgotten.
    void Expect(std::span<const std::uint8_t> frame);
    // Feeds one byte from the line; true when it completes a whole copy of the frame.
    bool Feed(std::uint8_t byte);
    // How many bytes of the frame the line has given in a row so far.
    std::size_t Matched() const { return matched_; }
    std::size_t FrameSize() const { return frame_.size(); }

private:
    std::vector<std::uint8_t> frame_;
    // For each matched length, the longest proper prefix of the frame that is also a suffix of the match: a
    // mismatch falls back to it, so that a copy starting inside a false start is still found.
    std::vector<std::size_t> fallback_;
    std::size_t matched_ = 0;
};

}  // namespace kelvane
