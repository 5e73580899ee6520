#pragma once

#include <cstdint>

namespace kelvane {

// The bytes every frame on the line is built from, in either direction: the start byte (doubled wherever else it
// stands), the bus addresses, and the code byte's low nibble, which holds a length of up to 3 itself or says
// whether one or two length bytes follow it.
constexpr std::uint8_t kFrameStart = 0x02;
constexpr std::uint8_t kPcAddress = 0xFD;
constexpr std::uint8_t kBroadcastAddress = 0xFF;
constexpr std::uint8_t kShortLengthBits = 0x03;
constexpr std::uint8_t kByteLengthForm = 0x04;
constexpr std::uint8_t kWordLengthForm = 0x08;

}  // namespace kelvane
