#pragma once

#include "panel/PanelModel.h"

#include <cstdint>
#include <span>
#include <vector>

namespace kelvane {

// The section never outgrows the buffer the module firmware assembles it in.
constexpr std::size_t kNitBufferSize = 1024;

// Descriptor lengths are single bytes: a descriptor takes the first services of its channel, in
// OutputServices order, up to these counts; later ones are left out of that descriptor.
constexpr int kMaxLcnEntries = 63;
constexpr int kMaxServiceListEntries = 85;

// The network information section (actual network, table id 0x40) of the output's channels, CRC included.
std::vector<std::uint8_t> BuildNetworkSection(const PanelModel& m);

// MPEG-2 CRC-32: polynomial 0x04C11DB7, initial value 0xFFFFFFFF, no reflection, no final inversion.
std::uint32_t MpegCrc32(std::span<const std::uint8_t> bytes);

}  // namespace kelvane
