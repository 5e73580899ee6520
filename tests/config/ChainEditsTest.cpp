// The image edits that follow the chain of modules an input feeds.

#include "config/ChainEdits.h"

#include "config/ConfigSync.h"
#include "sim/ConfigImages.h"
#include "sim/ModuleModels.h"
#include "tests/config/SlotTables.h"
#include "tests/sim/ImageReader.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

using test::Bytes;
using test::Record;
using test::TableOf;
using Ids = std::vector<std::uint16_t>;

Bytes Output(std::uint8_t type, const std::vector<sim::OutputService>& services) {
    sim::OutputSettings s;
    s.type = type;
    s.services = services;
    return sim::OutputImage(s);
}

const Bytes kTuner = [] {
    const sim::InputRow row{11362, 27500, sim::FecByte(1), {}};
    return sim::InputImage({&row, 1});
}();

Bytes Player(const std::vector<sim::InputService>& passThrough) {
    const sim::InputRow rows[] = {{10788, 22000, sim::PolarityByte(0), {{2001, 1}, {2002, 0}}},
                                  {12188, 27500, sim::PolarityByte(1), {{2101, 2}}},
                                  {9750, 0, sim::PolarityByte(0), passThrough}};
    return sim::PlayerImage(rows, {2201, {{570, 635, "film.ts"}}, 4, "Play"});
}

// The flags bytes of a multi-channel output, or the activation mask of a KXD400.
Bytes Flags(const SlotRecord& output) {
    Bytes flags;
    for (std::size_t k = 0; k < output.Config[8]; ++k) flags.push_back(output.Config[9 + 3 * k + 2]);
    return flags;
}
std::uint16_t Mask(const SlotRecord& kxd400) {
    const std::size_t n = kxd400.Config[8];
    return static_cast<std::uint16_t>(kxd400.Config[10 + 2 * n] << 8 | kxd400.Config[11 + 2 * n]);
}

TEST(SetActivatedServices, ExactlyTheListedServicesOfTheFedOutputs) {
    const std::vector<sim::OutputService> three{{1001, 1, true}, {1002, 2, false}, {1003, 3, true}};
    std::vector<sim::OutputService> seventeen;
    for (std::uint16_t id = 1; id <= 17; ++id) seventeen.push_back({id, 1, false});
    // [input A, output X (KXD410), output Y (KXD400), input B, input C, output Z]
    const SlotTable rack =
        TableOf({Record(0, 0), Record(sim::kKXB200, 1, kTuner), Record(sim::kKXD410, 2, Output(sim::kKXD410, three)),
                 Record(sim::kKXD400, 3, Output(sim::kKXD400, three)), Record(sim::kKXB210, 4, kTuner),
                 Record(sim::kKXC300, 5, Player({})), Record(sim::kKXD400, 6, Output(sim::kKXD400, seventeen))});
    SlotTable table = rack;
    SetActivatedServices(table, 1, Ids{1002, 4444});
    EXPECT_EQ(Flags(table[2]), (Bytes{0x01, 0x82, 0x03}));  // the channel bits stay
    EXPECT_EQ(Mask(table[3]), 0b010);
    EXPECT_EQ(table[3].Config[9 + 2 * 3], 0xFF);
    EXPECT_EQ(table[6].Config, rack[6].Config);
    SetActivatedServices(table, 1, {});
    EXPECT_EQ(Flags(table[2]), (Bytes{0x01, 0x02, 0x03}));
    EXPECT_EQ(Mask(table[3]), 0);

    SetActivatedServices(table, 4, Ids{1, 16, 17});  // input C stands between: Z is not fed by B
    EXPECT_EQ(table[6].Config, rack[6].Config);
    SetActivatedServices(table, 5, Ids{1, 16, 17});
    EXPECT_EQ(Mask(table[6]), 0x8001) << "entries beyond the sixteenth have no bit";
    SetActivatedServices(table, kAllOutputs, Ids{1003});
    EXPECT_EQ(Flags(table[2]), (Bytes{0x01, 0x02, 0x83}));
    EXPECT_EQ(Mask(table[6]), 0);
}

TEST(SetActivatedServices, NothingBeyondAnImageIsReadOrWritten) {
    const std::vector<sim::OutputService> three{{1001, 1, false}, {1002, 1, false}, {1003, 1, false}};
    SlotTable table =
        TableOf({Record(0, 0), Record(sim::kKXB200, 1, kTuner), Record(sim::kKXD410, 2, Output(sim::kKXD410, three)),
                 Record(sim::kKXD400, 3, Output(sim::kKXD400, three))});
    table[2].ConfigLength = 9 + 3 + 2;  // the second entry lacks its flags byte
    table[3].ConfigLength = 9 + 2 * 3 + 1;  // the mask is cut off
    SlotTable expected = table;
    expected[2].Config[11] = 0x81;
    SetActivatedServices(table, 1, Ids{1001, 1002, 1003});
    EXPECT_EQ(table[2].Config, expected[2].Config);
    EXPECT_EQ(table[3].Config, expected[3].Config);
}

TEST(CollectOutputServiceIds, IdsOfTheFedOutputsOnceInFirstOrder) {
    // [input A, input B, output X, CI, output Y (cut after its first entry), input C, output Z]
    SlotTable table =
        TableOf({Record(0, 0), Record(sim::kKXB200, 1, kTuner), Record(sim::kKXB210, 2, kTuner),
                 Record(sim::kKXD410, 3, Output(sim::kKXD410, {{30}, {10}, {20}})), Record(sim::kKXF600, 4),
                 Record(sim::kKXD400, 5, Output(sim::kKXD400, {{20}, {40}, {30}})), Record(sim::kKXB200, 6, kTuner),
                 Record(sim::kKXE500, 7, Output(sim::kKXE500, {{50}}))});
    EXPECT_EQ(CollectOutputServiceIds(table, 1), (Ids{30, 10, 20, 40}));
    EXPECT_EQ(CollectOutputServiceIds(table, 2), (Ids{30, 10, 20, 40}));
    EXPECT_EQ(CollectOutputServiceIds(table, 6), Ids{50});
    table[5].ConfigLength = 9 + 2 + 1;
    EXPECT_EQ(CollectOutputServiceIds(table, 1), (Ids{30, 10, 20}));
    table[8] = Record(sim::kKXB200, 99, kTuner);  // beyond the list: not searched
    EXPECT_TRUE(CollectOutputServiceIds(table, 99).empty());
}

// The pass-through list (block C) of a KXC300 image, and whether the rest still reads to the image's end.
struct BlockC {
    Ids ids;
    Bytes cams;
    bool tailIntact = false;
};

BlockC ReadBlockC(const SlotRecord& record) {
    sim::test::ImageReader in({record.Config.data(), record.ConfigLength});
    sim::test::ReadInputRow(in);
    sim::test::ReadInputRow(in);
    const sim::test::InputRowRead c = sim::test::ReadInputRow(in);
    const bool tailIntact = in.U16() == 2201 && in.U8() == 1 && in.U32() == 570 && in.U32() == 635 &&
                            in.Text() == "film.ts" && in.U8() == 4 && in.Text() == "Play" && in.AtEnd();
    return {c.ids, c.cams, tailIntact && !in.overrun};
}

SlotTable Players(std::initializer_list<std::vector<sim::InputService>> passLists) {
    SlotTable table = TableOf({Record(0, 0)});
    std::uint8_t address = 1;
    for (const auto& list : passLists) table[table.ModuleCount++] = Record(sim::kKXC300, address++, Player(list));
    table[table.ModuleCount++] = Record(sim::kKXD420, address, Output(sim::kKXD420, {{2001}}));
    return table;
}

void ExpectUnchanged(const SlotTable& table, const SlotTable& before) {
    for (std::size_t row = 0; row < kSlotCount; ++row) {
        EXPECT_EQ(table[row].Config, before[row].Config) << row;
        EXPECT_EQ(table[row].ConfigLength, before[row].ConfigLength) << row;
    }
}

TEST(UpdateChainedPlayers, OnlyPlayersStrictlyInsideTheRunAreEdited) {
    SlotTable two = Players({{}, {}});
    const SlotTable twoBefore = two;
    EXPECT_TRUE(UpdateChainedPlayers(two, 1, 777, true));
    ExpectUnchanged(two, twoBefore);

    SlotTable three = Players({{}, {{3001, 2}, {3002, 3}}, {}});
    const SlotTable before = three;
    EXPECT_TRUE(UpdateChainedPlayers(three, 1, 777, true));
    BlockC middle = ReadBlockC(three[2]);
    EXPECT_EQ(middle.ids, (Ids{3001, 3002, 777}));
    EXPECT_EQ(middle.cams, (Bytes{0, 0, 0})) << "the CI module assignments go";
    EXPECT_TRUE(middle.tailIntact);
    EXPECT_EQ(three[1].Config, before[1].Config);
    EXPECT_EQ(three[3].Config, before[3].Config);

    EXPECT_TRUE(UpdateChainedPlayers(three, 1, 3001, false));
    middle = ReadBlockC(three[2]);
    EXPECT_EQ(middle.ids, (Ids{3002, 777}));
    EXPECT_TRUE(middle.tailIntact);
    EXPECT_EQ(three[2].ConfigLength, before[2].ConfigLength);

    const SlotTable unchanged = three;  // not a KXC300, the last one, an unknown address
    for (const std::uint8_t address : {std::uint8_t{4}, std::uint8_t{3}, std::uint8_t{40}}) {
        EXPECT_TRUE(UpdateChainedPlayers(three, address, 777, true));
    }
    ExpectUnchanged(three, unchanged);
}

TEST(UpdateChainedPlayers, EditsThatCannotBeMadeAreRefusedWithNothingChanged) {
    std::vector<sim::InputService> full;
    for (std::uint16_t id = 1; id <= 255; ++id) full.push_back({id, 0});
    SlotTable table = Players({{}, {}, full, {}});
    const SlotTable before = table;
    EXPECT_FALSE(UpdateChainedPlayers(table, 1, 999, true));
    ExpectUnchanged(table, before);
    EXPECT_TRUE(UpdateChainedPlayers(table, 1, 200, false));
    EXPECT_EQ(ReadBlockC(table[3]).ids.size(), 254u);

    SlotTable tight = Players({{}, {}, {}});
    tight[2].ConfigLength = kConfigCapacity - 2;  // one more id of 3 bytes would not fit
    const SlotTable tightBefore = tight;
    EXPECT_FALSE(UpdateChainedPlayers(tight, 1, 999, true));
    ExpectUnchanged(tight, tightBefore);

    SlotTable shortImage = Players({{}, {{3001, 1}}, {{3002, 1}, {3003, 1}}, {}});
    shortImage[3].ConfigLength = 12 + 9 + 6 + 3;  // block C lacks its second id
    const SlotTable shortBefore = shortImage;
    EXPECT_FALSE(UpdateChainedPlayers(shortImage, 1, 999, true));
    ExpectUnchanged(shortImage, shortBefore);
}

}  // namespace
}  // namespace kelvane
