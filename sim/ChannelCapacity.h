#pragma once

#include "sim/ImageDecoding.h"

#include <cstdint>
#include <optional>

namespace kelvane::sim {

// The useful bit-rate of a DVB-T channel, in bits per second: data carriers × bits per carrier × code rate ×
// 188/204 (Reed-Solomon) per OFDM symbol, over the symbol time with its guard interval; 2K and 8K modes give
// the same figure. 64-QAM, 2/3, 1/32 in 8 MHz gives 24128342. Indexes out of their ranges, or no modulation
// at all, give that same figure, as the modulator falls back to its factory setting.
std::uint32_t UsefulBitRate(const std::optional<Modulation>& modulation);

}  // namespace kelvane::sim
