#pragma once

#include <array>
#include <cstddef>

namespace kelvane {

// The names kelvane-cli shows and takes for the parameters that modules store as indexes.
inline constexpr std::array<const char*, 5> kCodeRateNames{"1/2", "2/3", "3/4", "5/6", "7/8"};
inline constexpr std::array<const char*, 3> kConstellationNames{"QPSK", "16-QAM", "64-QAM"};
inline constexpr std::array<const char*, 2> kModeNames{"2K", "8K"};
inline constexpr std::array<const char*, 4> kGuardNames{"1/32", "1/16", "1/8", "1/4"};
inline constexpr std::array<const char*, 3> kBandwidthNames{"6 Mhz", "7 Mhz", "8 Mhz"};
inline constexpr std::array<const char*, 2> kPolarityNames{"V", "H"};

// The name of `index`, or "?" for an index the module should not hold.
template <std::size_t N>
const char* NameOf(const std::array<const char*, N>& names, int index) {
    return index >= 0 && index < static_cast<int>(N) ? names[static_cast<std::size_t>(index)] : "?";
}

}  // namespace kelvane
