#pragma once

#include "link/FrameFormat.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kelvane {

constexpr std::size_t kTransmitBufferSize = 8192;

// Builds one request frame exactly as it goes on the line: start byte, destination, 0xFD, code byte, length
// bytes, payload, checksum, with every 0x02 after the addresses sent twice.
class FrameEncoder {
public:
    // False, with the buffer emptied, when the stuffed frame would not fit the transmit buffer.
    bool Encode(std::uint8_t address, std::uint8_t command, std::span<const std::uint8_t> payload);

    std::span<const std::uint8_t> Bytes() const { return {buffer_.data(), length_}; }

    // The code byte's low nibble for a payload of `length` bytes: the length itself up to 3, else the form flag.
    static std::uint8_t LengthForm(std::size_t length);

private:
    void AppendRaw(std::uint8_t byte);
    void AppendByte(std::uint8_t byte);
    void AppendStuffed(std::uint8_t byte);

    std::array<std::uint8_t, kTransmitBufferSize> buffer_{};
    std::size_t length_ = 0;
    std::uint8_t checksum_ = 0;
    bool overflow_ = false;
};

}  // namespace kelvane
