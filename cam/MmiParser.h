#pragma once

#include "cam/MmiEvents.h"

#include <cstdint>
#include <span>
#include <vector>

namespace kelvane {

// Decodes complete transport packets gathered from the CAM (EN 50221 TPDUs: tag, length field, connection id,
// body) and appends what the MMI session said to `events`. Packets of other sessions and status packets are
// skipped by their length.
//
// Every length comes from the CAM and is checked before use: a packet whose header is broken or whose length
// runs past `packets` ends the decoding (nothing after it can be framed); an object whose length runs past its
// packet ends that packet, and the packets after it are still decoded.
void ParseMmiObjects(std::span<const std::uint8_t> packets, std::vector<MmiEvent>& events);

}  // namespace kelvane
