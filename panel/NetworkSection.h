#pragma once

#include "panel/PanelModel.h"

#include <cstdint>
#include <span>
#include <vector>

namespace kelvane {

// The service list descriptor: read back from a section by the output's image reader, written by the builder.
constexpr std::uint8_t kServiceListTag = 0x41;

// Where a section keeps what its readers look for: its version, five bits above the current/next flag; the
// length of the network descriptors, the first of them naming the network; the CRC in its last bytes.
constexpr std::size_t kSectionVersionOffset = 5;
constexpr int kSectionVersionCount = 32;
constexpr std::size_t kNetworkDescriptorsOffset = 8;
constexpr std::size_t kNetworkNameLengthOffset = 11;
constexpr std::size_t kSectionCrcSize = 4;
constexpr std::uint8_t SectionVersionOf(std::uint8_t versionByte) { return (versionByte >> 1) & 0x1F; }

// The section never outgrows the buffer the module firmware assembles it in.
constexpr std::size_t kNitBufferSize = 1024;

// Descriptor lengths are single bytes: a descriptor takes the first services of its channel, in
// OutputServices order, up to these counts; later ones are left out of that descriptor.
constexpr int kMaxLcnEntries = 63;
constexpr int kMaxServiceListEntries = 85;

// The network information section (actual network, table id 0x40) of the output's channels, CRC included.
// Channel 1 is on `firstChannelKHz` (OutputFreqKHz when not given), the others one bandwidth apart.
std::vector<std::uint8_t> BuildNetworkSection(const PanelModel& m);
std::vector<std::uint8_t> BuildNetworkSection(const PanelModel& m, int firstChannelKHz);

// Logical channel numbers run from 1 to 1023: ten bits, beside the flag bits of their descriptor entry.
constexpr int kMaxLcn = 1023;

// The frequency of output channel 1-4 in kHz: channel 1 is OutputFreqKHz, the others follow it one bandwidth apart.
int ChannelFrequencyKHz(const PanelModel& m, int channel);
int ChannelFrequencyKHz(int firstChannelKHz, int bandwidth, int channel);

// The service type a service list descriptor gives a service: 0x02 for one its input announces as radio,
// else the type the output's own section gave it, else 0x01 (digital television).
std::uint8_t ServiceTypeOf(const PanelModel& m, int serviceId);

// MPEG-2 CRC-32: polynomial 0x04C11DB7, initial value 0xFFFFFFFF, no reflection, no final inversion.
std::uint32_t MpegCrc32(std::span<const std::uint8_t> bytes);

}  // namespace kelvane
