#include "sim/ConfigImages.h"
#include "sim/DefaultRack.h"
#include "sim/ModuleModels.h"
#include "sim/RackModules.h"
#include "tests/sim/ModuleReplies.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <set>

namespace kelvane::sim {
namespace {

using namespace test;

// Published DVB-T useful rates are given to 10 kbit/s.
constexpr std::uint32_t kPublishedTolerance = 6000;
constexpr std::uint32_t k64Qam23Guard32In8MHz = 24130000;
constexpr std::uint32_t kMinTables = 60000;
constexpr std::uint32_t kMaxTables = 160000;
constexpr int kLongRun = 200;

std::unique_ptr<Module> Unit(std::uint8_t type, std::uint8_t address, std::vector<std::uint8_t> image) {
    return MakeModule(ModuleDescription{type, address, 10, true, std::move(image)});
}

const ModuleDescription& DefaultModule(std::uint8_t address) {
    static const RackDescription rack = DefaultRack();
    for (const ModuleDescription& m : rack.modules) {
        if (m.address == address) return m;
    }
    ADD_FAILURE() << "no module at " << int{address};
    return rack.modules.front();
}

int Blocks(std::uint8_t type) { return OutputChannelCount(type) == 1 ? 1 : 4; }

OutputRead ImageOf(const std::vector<std::uint8_t>& image, std::uint8_t type) {
    ImageReader in(image);
    return ReadOutput(in, OutputChannelCount(type) == 1);
}

RatesRead PollRates(Module& module, std::uint8_t type) {
    const auto payload = Ask(module, kListCommand);
    EXPECT_TRUE(payload.has_value());
    return ReadRates(payload.value_or(std::vector<std::uint8_t>{}), Blocks(type));
}

// One poll of the rates, checked against the image: `headBytes` of channel blocks before a pair per service, read
// exactly, the pairs naming the image's services in order.
RatesRead PollMatchingImage(Module& module, std::uint8_t type, const OutputRead& image, std::size_t headBytes) {
    const auto payload = Ask(module, kListCommand).value_or(std::vector<std::uint8_t>{});
    EXPECT_EQ(payload.size(), headBytes + 4 * image.services.size());
    const RatesRead rates = ReadRates(payload, Blocks(type));
    EXPECT_TRUE(rates.exact);
    EXPECT_EQ(rates.pairs.size(), image.services.size());
    for (std::size_t i = 0; i < rates.pairs.size() && i < image.services.size(); ++i)
        EXPECT_EQ(rates.pairs[i].id, image.services[i].id);
    return rates;
}

// kbit/s per channel (1-based) from the pairs, using the image to place each service.
std::map<int, std::uint32_t> SumsPerChannel(const RatesRead& rates, const OutputRead& image) {
    std::map<int, std::uint32_t> sums;
    for (std::size_t i = 0; i < rates.pairs.size() && i < image.services.size(); ++i) {
        sums[image.services[i].channel] += rates.pairs[i].rate;
    }
    return sums;
}

bool IsRadio(std::uint16_t id) { return id % 100 >= 50; }

void ExpectChannelsAgreeWithServices(const RatesRead& rates, const OutputRead& image, std::uint8_t type) {
    const std::map<int, std::uint32_t> sums = SumsPerChannel(rates, image);
    for (int k = 0; k < Blocks(type); ++k) {
        SCOPED_TRACE(k + 1);
        const ChannelRead& channel = rates.channels.at(static_cast<std::size_t>(k));
        if (k >= OutputChannelCount(type)) {
            EXPECT_EQ(channel.inUse, 0u);
            EXPECT_EQ(channel.capacity, 0u);
            continue;
        }
        const auto it = sums.find(k + 1);
        const std::uint32_t services = it == sums.end() ? 0 : it->second * 1000;
        EXPECT_LE(channel.inUse, channel.capacity);
        if (services + kMaxTables <= channel.capacity) {
            EXPECT_GE(channel.inUse, services + kMinTables);
            EXPECT_LE(channel.inUse, services + kMaxTables);
        }
    }
}

// --- layout ---

TEST(OutputRates, OneChannelModelHasOneBlockAndPairsFromSixteen) {
    const ModuleDescription& d = DefaultModule(7);
    ASSERT_EQ(d.type, kKXD400);
    const OutputRead image = ImageOf(d.config, d.type);
    auto output = Unit(d.type, d.address, d.config);
    const RatesRead rates = PollMatchingImage(*output, d.type, image, 16);
    ASSERT_FALSE(HasFailure());
    for (const RatePair& pair : rates.pairs)
        EXPECT_NE(pair.rate, 0) << "every service of a one-channel output is carried";
    // 16-QAM 2/3 1/8 is published as 14.75 Mbit/s in 8 MHz; this output uses 7 MHz.
    EXPECT_NEAR(rates.channels[0].capacity, 14750000.0 * 7 / 8, kPublishedTolerance);
    ExpectChannelsAgreeWithServices(rates, image, d.type);
}

class FourBlockOutput : public ::testing::TestWithParam<std::uint8_t> {};

TEST_P(FourBlockOutput, PairsStartAtFiftyTwoAndChannelsSumTheirServices) {
    const ModuleDescription& d = DefaultModule(GetParam());
    const OutputRead image = ImageOf(d.config, d.type);
    auto output = Unit(d.type, d.address, d.config);
    for (int poll = 0; poll < 20; ++poll) {
        const RatesRead rates = PollMatchingImage(*output, d.type, image, 52);
        ASSERT_FALSE(HasFailure());
        ExpectChannelsAgreeWithServices(rates, image, d.type);
    }
}

INSTANTIATE_TEST_SUITE_P(DefaultRack, FourBlockOutput, ::testing::Values(3, 5));

TEST(OutputRates, KXE500CarriesFourChannels) {
    OutputSettings s;
    s.type = kKXE500;
    s.services = {{1201, 1}, {1202, 2}, {1203, 3}, {1250, 4}};
    const std::vector<std::uint8_t> config = OutputImage(s);
    auto output = Unit(kKXE500, 8, config);
    const RatesRead rates = PollRates(*output, kKXE500);
    ASSERT_TRUE(rates.exact);
    for (const ChannelRead& channel : rates.channels)
        EXPECT_NEAR(channel.capacity, k64Qam23Guard32In8MHz, kPublishedTolerance);
    ExpectChannelsAgreeWithServices(rates, ImageOf(config, kKXE500), kKXE500);
}

// --- evolution ---

TEST(OutputRates, ServiceRatesMoveSlowlyAroundTheirKind) {
    const ModuleDescription& d = DefaultModule(3);
    auto output = Unit(d.type, d.address, d.config);
    RatesRead previous = PollRates(*output, d.type);
    std::map<std::uint16_t, std::set<int>> seen;
    for (int poll = 0; poll < kLongRun; ++poll) {
        const RatesRead now = PollRates(*output, d.type);
        ASSERT_EQ(now.pairs.size(), previous.pairs.size());
        for (std::size_t i = 0; i < now.pairs.size(); ++i) {
            const RatePair& p = now.pairs[i];
            SCOPED_TRACE(p.id);
            EXPECT_EQ(p.rate & 0x8000, 0);
            if (IsRadio(p.id)) {
                EXPECT_GE(p.rate, 100);
                EXPECT_LE(p.rate, 300);
            } else {
                EXPECT_GE(p.rate, 2000);
                EXPECT_LE(p.rate, 6000);
            }
            EXPECT_LE(std::abs(p.rate - previous.pairs[i].rate), 100);
            seen[p.id].insert(p.rate);
        }
        previous = now;
    }
    for (const auto& [id, rates] : seen) EXPECT_GT(rates.size(), 3u) << id;
}

TEST(OutputRates, NewConfigurationTakesEffectAtOnceAndKeptServicesKeepTheirFigures) {
    OutputSettings s;
    s.type = kKXD410;
    s.services = {{1301, 1}, {1302, 1}};
    auto output = Unit(kKXD410, 3, OutputImage(s));
    const RatesRead before = PollRates(*output, kKXD410);
    ASSERT_EQ(before.pairs.size(), 2u);

    // QPSK 1/2 with a guard of 1/4 is published as 4.98 Mbit/s: three programmes overflow it.
    s.constellation = 0;
    s.codeRate = 0;
    s.guard = 3;
    s.services = {{1301, 1}, {1304, 1}, {1305, 1}, {1350, 0}, {1306, 3}};
    ASSERT_TRUE(output->Handle(Request{3, kPcAddress, kWriteCommand, OutputImage(s)}).accepted);
    const RatesRead after = PollRates(*output, kKXD410);
    ASSERT_TRUE(after.exact);
    ASSERT_EQ(after.pairs.size(), 5u);
    EXPECT_EQ(after.pairs[0].id, 1301);
    EXPECT_LE(std::abs(after.pairs[0].rate - before.pairs[0].rate), 100);
    EXPECT_EQ(after.pairs[3].rate, 0) << "on no channel";
    EXPECT_EQ(after.pairs[4].rate, 0) << "on a channel a KXD410 lacks";
    EXPECT_NEAR(after.channels[0].capacity, 4980000, kPublishedTolerance);
    EXPECT_EQ(after.channels[0].inUse, after.channels[0].capacity) << "the multiplex is full";
    EXPECT_LT(after.channels[1].inUse, kMaxTables + 1) << "channel 2 carries only its tables";
}

TEST(OutputRates, SamePollsGiveSameFigures) {
    const ModuleDescription& d = DefaultModule(5);
    auto first = Unit(d.type, d.address, d.config);
    auto twin = Unit(d.type, d.address, d.config);
    for (int poll = 0; poll < 30; ++poll) EXPECT_EQ(Ask(*first, kListCommand), Ask(*twin, kListCommand));
}

// --- bounds ---

TEST(OutputBounds, EmptyImageGivesChannelsWithTablesOnly) {
    for (std::uint8_t type : {kKXD400, kKXD410, kKXD420, kKXE500}) {
        SCOPED_TRACE(int{type});
        auto output = Unit(type, 3, {});
        const auto payload = Ask(*output, kListCommand);
        ASSERT_TRUE(payload.has_value());
        EXPECT_EQ(payload->size(), static_cast<std::size_t>(4 + 12 * Blocks(type)));
        const RatesRead rates = ReadRates(*payload, Blocks(type));
        for (int k = 0; k < OutputChannelCount(type); ++k) {
            const ChannelRead& channel = rates.channels[static_cast<std::size_t>(k)];
            EXPECT_NEAR(channel.capacity, k64Qam23Guard32In8MHz, kPublishedTolerance) << "the factory setting";
            EXPECT_GE(channel.inUse, kMinTables);
            EXPECT_LE(channel.inUse, kMaxTables);
        }
    }
}

TEST(OutputBounds, EveryCutOfAnImageIsReadSafely) {
    for (std::uint8_t address : {3, 7}) {
        const ModuleDescription& d = DefaultModule(address);
        const std::size_t services = ImageOf(d.config, d.type).services.size();
        for (std::size_t length = 0; length <= d.config.size(); ++length) {
            SCOPED_TRACE(length);
            auto output = Unit(
                d.type, d.address,
                std::vector<std::uint8_t>(d.config.begin(), d.config.begin() + static_cast<std::ptrdiff_t>(length)));
            const RatesRead rates = PollRates(*output, d.type);
            EXPECT_TRUE(rates.exact);
            EXPECT_LE(rates.pairs.size(), services);
            for (const ChannelRead& channel : rates.channels) EXPECT_LE(channel.inUse, channel.capacity);
        }
    }
}

TEST(OutputBounds, OutOfRangeModulationFallsBackToTheFactorySetting) {
    std::vector<std::uint8_t> config = DefaultModule(5).config;
    config[2] = 7;  // bandwidth index
    config[4] = 9;  // constellation index
    auto output = Unit(kKXD420, 5, config);
    EXPECT_NEAR(PollRates(*output, kKXD420).channels[0].capacity, k64Qam23Guard32In8MHz, kPublishedTolerance);
}

TEST(OutputBounds, InactiveOutputAnswersOnlyItsIdentity) {
    auto output = MakeModule(ModuleDescription{kKXD420, 5, 10, false, DefaultModule(5).config});
    EXPECT_FALSE(Ask(*output, kListCommand).has_value());
    EXPECT_TRUE(Ask(*output, kIdentityCommand).has_value());
}

}  // namespace
}  // namespace kelvane::sim
