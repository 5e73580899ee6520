#include "sim/DefaultRack.h"

#include "sim/ModuleModels.h"
#include "sim/RackEngine.h"
#include "tests/sim/ImageReader.h"
#include "tests/sim/ModuleReplies.h"
#include "tests/sim/ReplyFrames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>

namespace kelvane::sim {
namespace {

using namespace test;

constexpr std::array<std::uint8_t, 30> kLevelTable{9,  10, 11, 12, 14, 16, 18,  20,  22,  25,  28,  32,  36,  40,  45,
                                                   50, 57, 64, 71, 80, 90, 101, 113, 127, 143, 160, 180, 202, 227, 255};

const ModuleDescription& At(const RackDescription& rack, std::uint8_t address) {
    const auto it = std::find_if(rack.modules.begin(), rack.modules.end(),
                                 [&](const ModuleDescription& m) { return m.address == address; });
    EXPECT_NE(it, rack.modules.end()) << "no module at " << int{address};
    return *it;
}

void ExpectSatelliteRow(const InputRowRead& row, std::uint8_t type) {
    EXPECT_GE(row.frequencyMHz, 10700);
    EXPECT_LE(row.frequencyMHz, 12750);
    EXPECT_GT(row.symbolRate, 0);
    if (type == kKXC300) {
        EXPECT_TRUE(row.setting == 0x00 || row.setting == 0x80);
    } else {
        EXPECT_GE(row.setting, 14);
        EXPECT_LE(row.setting, 18);
    }
    for (std::uint8_t cam : row.cams) EXPECT_LE(cam, 4);
}

// The service ids the input at `address` passes on, the player's own service included.
std::set<std::uint16_t> InputServices(const ModuleDescription& input) {
    ImageReader in(input.config);
    std::set<std::uint16_t> ids;
    for (int r = 0; r < InputRowCount(input.type); ++r) {
        const InputRowRead row = ReadInputRow(in);
        ids.insert(row.ids.begin(), row.ids.end());
    }
    if (input.type == kKXC300) ids.insert(in.U16());
    return ids;
}

TEST(DefaultRack, HoldsThreePairsInSlotOrder) {
    const RackDescription rack = DefaultRack();
    EXPECT_EQ(rack.controllerVersion, 14);
    std::vector<std::uint8_t> types;
    std::set<std::uint8_t> addresses;
    for (const ModuleDescription& m : rack.modules) {
        types.push_back(m.type);
        addresses.insert(m.address);
        EXPECT_TRUE(m.active);
        EXPECT_LE(m.config.size(), kMaxConfigLength);
    }
    EXPECT_EQ(types, (std::vector<std::uint8_t>{kKXB200, kKXF600, kKXD410, kKXC300, kKXD420, kKXB210, kKXD400}));
    EXPECT_EQ(addresses.size(), rack.modules.size());
    EXPECT_EQ(addresses.count(0), 0u);
}

TEST(DefaultRack, TunerImagesAreOneRowEach) {
    const RackDescription rack = DefaultRack();
    for (std::uint8_t address : {1, 6}) {
        const ModuleDescription& tuner = At(rack, address);
        ImageReader in(tuner.config);
        const InputRowRead row = ReadInputRow(in);
        SCOPED_TRACE(address);
        ExpectSatelliteRow(row, tuner.type);
        EXPECT_FALSE(row.ids.empty());
        EXPECT_TRUE(in.AtEnd());
        EXPECT_FALSE(in.overrun);
    }
    ImageReader first(At(rack, 1).config);
    const InputRowRead row = ReadInputRow(first);
    EXPECT_EQ(row.frequencyMHz, 11362);
    EXPECT_EQ(row.symbolRate, 27500);
    EXPECT_EQ(row.setting - 14, 2);  // "3/4"
    // The CI module follows this tuner, so some of its services are descrambled there.
    EXPECT_NE(std::count(row.cams.begin(), row.cams.end(), 1), 0);
}

TEST(DefaultRack, PlayerImageHasThreeRowsAndItsTail) {
    const RackDescription rack = DefaultRack();
    const ModuleDescription& player = At(rack, 4);
    ImageReader in(player.config);
    for (int r = 0; r < 3; ++r) {
        const InputRowRead row = ReadInputRow(in);
        if (r < 2) ExpectSatelliteRow(row, player.type);
    }
    EXPECT_NE(in.U16(), 0);  // the played service
    const std::uint8_t entries = in.U8();
    EXPECT_GE(entries, 1);
    EXPECT_LE(entries, 10);
    std::uint32_t previousEnd = 0;
    for (int e = 0; e < entries; ++e) {
        const std::uint32_t start = in.U32();
        const std::uint32_t end = in.U32();
        EXPECT_LE(previousEnd, start);  // in time order, no overlap
        EXPECT_LT(start, end);
        EXPECT_LE(end, 24u * 60u);
        EXPECT_FALSE(in.Text().empty());
        previousEnd = end;
    }
    const std::uint8_t rate = in.U8();
    EXPECT_GE(rate, 1);
    EXPECT_LE(rate, 15);
    EXPECT_EQ(in.Text(), "Kelvane Play");
    EXPECT_TRUE(in.AtEnd());
    EXPECT_FALSE(in.overrun);
}

class DefaultOutput : public ::testing::TestWithParam<std::uint8_t> {};

TEST_P(DefaultOutput, ImageFollowsTheOutputLayout) {
    const RackDescription rack = DefaultRack();
    const ModuleDescription& output = At(rack, GetParam());
    const int channels = OutputChannelCount(output.type);
    ImageReader in(output.config);
    const OutputRead o = ReadOutput(in, channels == 1);
    EXPECT_TRUE(in.AtEnd());
    EXPECT_FALSE(in.overrun);

    EXPECT_GE(o.frequencyKHz, 174000u);
    EXPECT_LE(o.frequencyKHz, 862999u);
    EXPECT_LE(o.bandwidth, 2);
    EXPECT_LE(o.codeRate, 4);
    EXPECT_LE(o.constellation, 2);
    EXPECT_LE(o.mode, 1);
    EXPECT_LE(o.guard, 3);
    EXPECT_NE(std::find(kLevelTable.begin(), kLevelTable.end(), o.level), kLevelTable.end());
    EXPECT_TRUE(o.zerosAfterLength);
    EXPECT_LE(o.removeCatEmm, 1);
    EXPECT_FALSE(o.services.empty());
    for (const OutputServiceRead& s : o.services) {
        EXPECT_GE(s.channel, 1);
        EXPECT_LE(s.channel, channels);
        EXPECT_NE(s.lcn, 0);
    }
}

TEST_P(DefaultOutput, CarriesOnlyServicesItsInputPassesOn) {
    const RackDescription rack = DefaultRack();
    const std::uint8_t address = GetParam();
    const auto output = std::find_if(rack.modules.begin(), rack.modules.end(),
                                     [address](const ModuleDescription& m) { return m.address == address; });
    ASSERT_NE(output, rack.modules.end());
    // The input of the pair is the nearest input module before the output.
    const auto input = std::find_if(std::make_reverse_iterator(output), rack.modules.rend(),
                                    [](const ModuleDescription& m) { return RoleOf(m.type) == ModuleRole::Input; });
    ASSERT_NE(input, rack.modules.rend());
    const std::set<std::uint16_t> passed = InputServices(*input);
    ImageReader in(output->config);
    for (const OutputServiceRead& s : ReadOutput(in, OutputChannelCount(output->type) == 1).services) {
        EXPECT_EQ(passed.count(s.id), 1u) << s.id;
    }
}

TEST_P(DefaultOutput, NetworkSectionDescribesTheChannels) {
    const RackDescription rack = DefaultRack();
    const ModuleDescription& output = At(rack, GetParam());
    ImageReader in(output.config);
    const OutputRead o = ReadOutput(in, OutputChannelCount(output.type) == 1);
    const SectionRead section = ReadSection(o.section);
    EXPECT_EQ(section.tableId, 0x40);
    EXPECT_TRUE(section.lengthsAgree);
    EXPECT_TRUE(section.crcOk);
    EXPECT_EQ(section.networkId, o.networkId);
    EXPECT_EQ(section.name.rfind("Kelvane ", 0), 0u);

    // One entry per channel that carries a service, highest channel first.
    std::set<int> used;
    for (const OutputServiceRead& s : o.services) used.insert(s.channel);
    std::vector<std::uint16_t> expected;
    for (auto c = used.rbegin(); c != used.rend(); ++c)
        expected.push_back(o.streamIds[static_cast<std::size_t>(*c - 1)]);
    std::vector<std::uint16_t> listed;
    for (const StreamRead& stream : section.streams) {
        listed.push_back(stream.streamId);
        EXPECT_EQ(stream.originalNetworkId, o.networkId);
    }
    EXPECT_EQ(listed, expected);
}

INSTANTIATE_TEST_SUITE_P(EachOutput, DefaultOutput, ::testing::Values(3, 5, 7));

// The payload of the rack's reply on the line, checked as the PC would read it.
std::vector<std::uint8_t> Exchange(RackEngine& engine, std::uint8_t address, std::uint8_t command) {
    const auto frame = ReadReplyFrame(engine.Respond(EncodeFrame(address, kPcAddress, command, {})));
    EXPECT_TRUE(frame.has_value());
    if (!frame) return {};
    EXPECT_TRUE(frame->checksumOk);
    EXPECT_EQ(frame->code & 0xF0, kAccepted);
    return frame->payload;
}

TEST_P(DefaultOutput, InputNamesAndOutputRatesCoverEveryCarriedService) {
    const RackDescription rack = DefaultRack();
    RackEngine engine{rack};
    const auto output = std::find_if(rack.modules.begin(), rack.modules.end(),
                                     [](const ModuleDescription& m) { return m.address == GetParam(); });
    ASSERT_NE(output, rack.modules.end());
    const auto input = std::find_if(std::make_reverse_iterator(output), rack.modules.rend(),
                                    [](const ModuleDescription& m) { return RoleOf(m.type) == ModuleRole::Input; });
    ASSERT_NE(input, rack.modules.rend());
    const int rows = InputRowCount(input->type);

    // The panel polls once a second; a dozen polls is ample for every receivable row to lock.
    for (int poll = 0; poll < 12; ++poll) {
        EXPECT_EQ(Exchange(engine, input->address, kStatusCommand).size(), static_cast<std::size_t>(3 * rows + 1));
    }
    const NamesReplyRead names = ReadNamesReply(Exchange(engine, input->address, kListCommand), rows);
    ASSERT_TRUE(names.exact);
    std::set<std::uint16_t> announced;
    for (const NamesRowRead& row : names.rows) {
        for (const AnnouncedRead& s : row.services)
            EXPECT_TRUE(announced.insert(s.id).second) << "announced twice: " << s.id;
    }
    ImageReader player(input->config);
    for (int r = 0; r < rows; ++r) ReadInputRow(player);
    const std::uint16_t played = input->type == kKXC300 ? player.U16() : 0;
    EXPECT_EQ(announced.count(played), 0u) << "the player's own service is not on air at its inputs";

    ImageReader in(output->config);
    const OutputRead carried = ReadOutput(in, OutputChannelCount(output->type) == 1);
    const RatesRead rates =
        ReadRates(Exchange(engine, output->address, kListCommand), OutputChannelCount(output->type) == 1 ? 1 : 4);
    ASSERT_TRUE(rates.exact);
    ASSERT_EQ(rates.pairs.size(), carried.services.size());
    for (std::size_t i = 0; i < carried.services.size(); ++i) {
        const std::uint16_t id = carried.services[i].id;
        EXPECT_TRUE(announced.count(id) == 1 || id == played) << id << " has no name";
        EXPECT_EQ(rates.pairs[i].id, id);
        EXPECT_NE(rates.pairs[i].rate, 0) << id;
    }
}

}  // namespace
}  // namespace kelvane::sim
