#pragma once

#include "sim/ConfigImages.h"

#include <cstdint>
#include <span>
#include <vector>

namespace kelvane::sim {

// CRC-32 of MPEG-2 sections: polynomial 0x04C11DB7, start 0xFFFFFFFF, no reflection, no final inversion.
std::uint32_t MpegCrc32(std::span<const std::uint8_t> bytes);

// The network information section (table 0x40) that an output module broadcasts for its channels: network
// name descriptor, then one transport stream entry per channel that carries a service, highest channel first,
// and the CRC. Names longer than 255 characters are cut.
std::vector<std::uint8_t> NetworkSection(const OutputSettings& settings);

}  // namespace kelvane::sim
