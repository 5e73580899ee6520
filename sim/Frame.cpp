#include "sim/Frame.h"

#include <algorithm>

namespace kelvane::sim {
namespace {

// Appends a byte of the checked part of a frame, doubling 0x02 so that it cannot be taken for a frame start.
void PutStuffed(std::vector<std::uint8_t>& out, std::uint8_t b) {
    out.push_back(b);
    if (b == kStartByte) out.push_back(b);
}

// Appends the checked part of a frame: code byte, length bytes, payload and checksum, stuffed.
void PutBody(std::vector<std::uint8_t>& frame, std::uint8_t command, std::span<const std::uint8_t> payload,
             std::uint8_t checksumMask) {
    const std::size_t length = std::min(payload.size(), kMaxPayload);
    const std::uint8_t form = LengthForm(length);

    std::vector<std::uint8_t> checked;
    checked.reserve(length + 3);
    checked.push_back(static_cast<std::uint8_t>(CommandOf(command) | form));
    if (form == kTwoLengthBytes) checked.push_back(static_cast<std::uint8_t>(length >> 8));
    if (form == kOneLengthByte || form == kTwoLengthBytes) checked.push_back(static_cast<std::uint8_t>(length & 0xFF));
    checked.insert(checked.end(), payload.begin(), payload.begin() + static_cast<std::ptrdiff_t>(length));

    std::uint8_t checksum = 0;
    for (std::uint8_t b : checked) checksum ^= b;

    frame.reserve(frame.size() + 2 * (checked.size() + 1));
    for (std::uint8_t b : checked) PutStuffed(frame, b);
    PutStuffed(frame, static_cast<std::uint8_t>(checksum ^ checksumMask));
}

}  // namespace

std::uint8_t LengthForm(std::size_t length) {
    if (length <= kMaxInlineLength) return static_cast<std::uint8_t>(length);
    return length <= 0xFF ? kOneLengthByte : kTwoLengthBytes;
}

std::vector<std::uint8_t> EncodeFrame(std::uint8_t destination, std::uint8_t source, std::uint8_t command,
                                      std::span<const std::uint8_t> payload, std::uint8_t checksumMask) {
    std::vector<std::uint8_t> frame{kStartByte, destination, source};
    PutBody(frame, command, payload, checksumMask);
    return frame;
}

std::vector<std::uint8_t> EncodeReply(const Reply& reply, std::uint8_t checksumMask) {
    // The PC unstuffs every byte after the start, source included: a module at address 2 must double it, or
    // its replies would read as a new frame starting.
    std::vector<std::uint8_t> frame{kStartByte, kPcAddress};
    PutStuffed(frame, reply.source);
    PutBody(frame, reply.accepted ? kAccepted : kRefused, reply.payload, checksumMask);
    return frame;
}

}  // namespace kelvane::sim
