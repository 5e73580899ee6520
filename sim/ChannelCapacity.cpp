#include "sim/ChannelCapacity.h"

#include <array>

namespace kelvane::sim {
namespace {

// 2K mode in 8 MHz: 1512 data carriers in a useful symbol time of 224 µs. Other bandwidths scale the clock.
constexpr std::uint64_t kDataCarriers = 1512;
constexpr std::uint64_t kUsefulSymbolMicroseconds = 224;
constexpr std::uint64_t kReferenceBandwidthMHz = 8;
constexpr std::uint64_t kPacketBytes = 188;
constexpr std::uint64_t kProtectedPacketBytes = 204;

constexpr std::array<std::uint64_t, 3> kBandwidthMHz{6, 7, 8};
constexpr std::array<std::uint64_t, 3> kBitsPerCarrier{2, 4, 6};
struct Ratio {
    std::uint64_t num;
    std::uint64_t den;
};
constexpr std::array<Ratio, 5> kCodeRates{{{1, 2}, {2, 3}, {3, 4}, {5, 6}, {7, 8}}};
constexpr std::array<std::uint64_t, 4> kGuardDivisors{32, 16, 8, 4};  // the guard is 1/divisor of a symbol

bool InRange(const Modulation& m) {
    return m.bandwidth < kBandwidthMHz.size() && m.codeRate < kCodeRates.size() &&
           m.constellation < kBitsPerCarrier.size() && m.guard < kGuardDivisors.size();
}

}  // namespace

std::uint32_t UsefulBitRate(const std::optional<Modulation>& modulation) {
    const Modulation m = modulation && InRange(*modulation) ? *modulation : Modulation{};
    const Ratio code = kCodeRates[m.codeRate];
    const std::uint64_t guard = kGuardDivisors[m.guard];
    const std::uint64_t numerator = kDataCarriers * kBitsPerCarrier[m.constellation] * code.num * kPacketBytes * guard *
                                    kBandwidthMHz[m.bandwidth] * 1'000'000;
    const std::uint64_t denominator =
        code.den * kProtectedPacketBytes * kUsefulSymbolMicroseconds * (guard + 1) * kReferenceBandwidthMHz;
    return static_cast<std::uint32_t>(numerator / denominator);
}

}  // namespace kelvane::sim
