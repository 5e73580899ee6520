#include "sim/ChannelCapacity.h"

#include <gtest/gtest.h>

namespace kelvane::sim {
namespace {

// The useful bit-rates of non-hierarchical DVB-T as the standard tabulates them, in Mbit/s to two decimals.
struct Published {
    Modulation modulation;
    double mbps;
};

constexpr double kTableRounding = 0.006;

constexpr std::uint8_t k6MHz = 0, k7MHz = 1, k8MHz = 2;
constexpr std::uint8_t kQpsk = 0, k16Qam = 1, k64Qam = 2;
constexpr std::uint8_t kRate12 = 0, kRate23 = 1, kRate34 = 2, kRate78 = 4;
constexpr std::uint8_t kGuard32 = 0, kGuard16 = 1, kGuard8 = 2, kGuard4 = 3;

TEST(ChannelCapacity, MatchesThePublishedUsefulRates) {
    const Published table[] = {
        {{k8MHz, kRate12, kQpsk, kGuard4}, 4.98},    {{k8MHz, kRate12, kQpsk, kGuard32}, 6.03},
        {{k8MHz, kRate78, kQpsk, kGuard32}, 10.56},  {{k8MHz, kRate23, k16Qam, kGuard4}, 13.27},
        {{k8MHz, kRate23, k16Qam, kGuard8}, 14.75},  {{k8MHz, kRate34, k16Qam, kGuard16}, 17.56},
        {{k8MHz, kRate23, k64Qam, kGuard32}, 24.13}, {{k8MHz, kRate34, k64Qam, kGuard32}, 27.14},
        {{k8MHz, kRate78, k64Qam, kGuard32}, 31.67}, {{k7MHz, kRate23, k64Qam, kGuard32}, 21.11},
        {{k6MHz, kRate23, k64Qam, kGuard32}, 18.10},
    };
    for (const Published& p : table) {
        SCOPED_TRACE(p.mbps);
        EXPECT_NEAR(UsefulBitRate(p.modulation) / 1e6, p.mbps, kTableRounding);
    }
}

TEST(ChannelCapacity, UnknownSettingsGiveTheFactoryFigure) {
    const std::uint32_t factory = UsefulBitRate(Modulation{k8MHz, kRate23, k64Qam, kGuard32});
    EXPECT_EQ(UsefulBitRate(std::nullopt), factory);
    EXPECT_EQ(UsefulBitRate(Modulation{3, kRate12, kQpsk, kGuard4}), factory);
    EXPECT_EQ(UsefulBitRate(Modulation{k8MHz, 5, kQpsk, kGuard4}), factory);
    EXPECT_EQ(UsefulBitRate(Modulation{k8MHz, kRate12, 3, kGuard4}), factory);
    EXPECT_EQ(UsefulBitRate(Modulation{k8MHz, kRate12, kQpsk, 4}), factory);
}

}  // namespace
}  // namespace kelvane::sim
