#include "sim/ChannelCapacity.h"

#include "sim/ConfigImages.h"

namespace kelvane::sim {

// 2K mode in 8 MHz: 1512 data carriers in a useful symbol time of 224 µs. Other bandwidths scale the clock.
constexpr std::uint64_t kDataCarriers = 1512;
constexpr std::uint64_t kUsefulSymbolMicroseconds = 224;
constexpr std::uint64_t kReferenceBandwidthMHz = 8;
// The outer Reed-Solomon code: 188 bytes of each packet in 204.
constexpr CodeRate kReedSolomon{188, 204};

std::uint32_t UsefulBitRate(const std::optional<Modulation>& modulation) {
    const Modulation m = modulation && modulation->Known() ? *modulation : Modulation{};
    const CodeRate code = kCodeRates[m.codeRate];
    const std::uint64_t guard = kGuardDivisors[m.guard];
    const std::uint64_t numerator = kDataCarriers * kBitsPerCarrier[m.constellation] * code.num * kReedSolomon.num *
                                    guard * kBandwidthMHz[m.bandwidth] * 1'000'000;
    const std::uint64_t denominator =
        code.den * kReedSolomon.den * kUsefulSymbolMicroseconds * (guard + 1) * kReferenceBandwidthMHz;
    return static_cast<std::uint32_t>(numerator / denominator);
}

}  // namespace kelvane::sim
