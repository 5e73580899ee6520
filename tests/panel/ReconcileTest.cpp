#include "panel/Reconcile.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelvane {
namespace {

std::vector<int> Ids(const InputServiceTable& table) {
    std::vector<int> ids;
    for (int k = 0; k < table.count; ++k) ids.push_back(table.entries[k].ServiceId);
    return ids;
}

// A pair with the given input services per row, output services (id, channel) and announced services per row.
PanelModel Pair(int inputRows, int outputChannels, std::vector<std::vector<int>> passed,
                std::vector<std::pair<int, int>> placed, std::vector<std::vector<int>> announced) {
    PanelModel m;
    m.NamesRead = true;
    m.InputCount = inputRows;
    m.OutputChannelCount = outputChannels;
    for (std::size_t row = 0; row < passed.size(); ++row) {
        for (const int id : passed[row]) m.InputServices[row].entries[m.InputServices[row].count++] = {id, 2};
    }
    for (const auto& [id, channel] : placed) {
        m.OutputServices[m.OutputServiceCount++] = {id, 0, 0, static_cast<std::uint8_t>(channel), 0};
    }
    for (std::size_t row = 0; row < announced.size(); ++row) {
        SiServiceTable& table = m.InputSiServices[row];
        for (const int id : announced[row]) table.entries[table.count++].ServiceId = id;
    }
    return m;
}

TEST(Reconcile, AServiceOnTwoInputsLeavesBoth) {
    PanelModel m = Pair(3, 1, {{10, 20, 30}, {20, 40}, {50}}, {}, {});
    ReconcileServices(m, {10, 20, 30, 40, 50});
    EXPECT_EQ(Ids(m.InputServices[0]), (std::vector<int>{10, 30}));
    EXPECT_EQ(Ids(m.InputServices[1]), (std::vector<int>{40}));
    EXPECT_EQ(Ids(m.InputServices[2]), (std::vector<int>{50}));
    EXPECT_TRUE(m.InputDirty);

    // One tuner without output: nothing to do, even with a service on no channel.
    PanelModel alone = Pair(1, 0, {{5}}, {{6, 0}}, {});
    ReconcileServices(alone, {});
    EXPECT_EQ(alone.OutputServiceCount, 1);
    EXPECT_FALSE(alone.InputDirty || alone.OutputDirty);
}

TEST(Reconcile, WithAnOutputTheInputsKeepOnlyWhatTheOutputsCarry) {
    PanelModel m = Pair(1, 4, {{1, 2}}, {{1, 1}, {7, 0}, {3, 2}}, {{3, 9}});
    ReconcileServices(m, {1, 3});
    ASSERT_EQ(m.OutputServiceCount, 2);  // 7 was on no channel
    EXPECT_EQ(m.OutputServices[1].ServiceId, 3);
    // 2 is carried by no output; 3 is announced and carried, so it comes back with no CAM; 9 is not carried.
    EXPECT_EQ(Ids(m.InputServices[0]), (std::vector<int>{1, 3}));
    EXPECT_EQ(m.InputServices[0].entries[0].Cam, 2);
    EXPECT_EQ(m.InputServices[0].entries[1].Cam, 0);
    EXPECT_TRUE(m.InputDirty && m.OutputDirty);

    m.InputDirty = m.OutputDirty = false;
    ReconcileServices(m, {1, 3});
    EXPECT_FALSE(m.InputDirty);
    EXPECT_TRUE(m.OutputDirty);  // always set with an output
}

TEST(Reconcile, PlayerWithoutOutputRebuildsItsRowsFromTheAnnouncedServices) {
    PanelModel m = Pair(3, 0, {{11}, {21}}, {{11, 1}, {21, 1}, {31, 1}}, {{11}, {}, {31, 32}});
    ReconcileServices(m, {});
    EXPECT_EQ(Ids(m.InputServices[0]), (std::vector<int>{11}));
    EXPECT_EQ(m.InputServices[0].entries[0].Cam, 0);  // emptied, then added back
    EXPECT_EQ(Ids(m.InputServices[1]), (std::vector<int>{}));
    EXPECT_EQ(Ids(m.InputServices[2]), (std::vector<int>{31}));
    EXPECT_FALSE(m.InputDirty || m.OutputDirty);

    // A full row takes no more, and a count beyond its table is held to it.
    std::vector<int> many;
    std::vector<std::pair<int, int>> placed;
    for (int k = 0; k < kMaxServicesPerRow; ++k) {
        many.push_back(100 + k);
        placed.emplace_back(100 + k, 1);
    }
    PanelModel full = Pair(3, 0, {}, placed, {many});
    ReconcileServices(full, {});
    EXPECT_EQ(full.InputServices[0].count, kMaxServicesPerRow);
    full.OutputServiceCount = kMaxOutputServices + 5;
    ReconcileServices(full, {});
    EXPECT_EQ(full.OutputServiceCount, kMaxOutputServices);
}

}  // namespace
}  // namespace kelvane
