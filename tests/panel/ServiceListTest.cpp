#include "panel/ServiceCells.h"
#include "panel/ServiceList.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace kelvane {
namespace {

using Told = std::vector<std::pair<std::uint16_t, int>>;

void Announce(PanelModel& m, int row, int id, int kind = 1, int scrambled = 0) {
    SiServiceTable& table = m.InputSiServices[row];
    table.entries[table.count++] = {id, "S" + std::to_string(id), static_cast<std::uint8_t>(kind),
                                    static_cast<std::uint8_t>(scrambled)};
}

void Pass(PanelModel& m, int row, int id, int cam) {
    m.InputServices[row].entries[m.InputServices[row].count++] = {id, static_cast<std::uint8_t>(cam)};
}

// A tuner feeding a four-channel output through two CI modules. Rows: 1, 2 announced; 5 passed on but
// announced by nobody; 9 only on the output.
PanelModel TunerPair() {
    PanelModel m;
    m.InputType = 1;
    m.OutputChannelCount = 4;
    m.CamCount = 2;
    Announce(m, 0, 1);
    Announce(m, 0, 2, 2, 1);
    Pass(m, 0, 2, 1);
    Pass(m, 0, 5, 2);
    m.OutputServices[0] = {1, 10, 0, 2, 0};
    m.OutputServices[1] = {9, 0, 900, 1, 0};
    m.OutputServiceCount = 2;
    BuildServiceList(m);
    return m;
}

int Image(const PanelModel& m, int row, int column) { return ServiceCell(m, m.ServiceRows[row], column).image; }
std::string Text(const PanelModel& m, int row, int column) { return ServiceCell(m, m.ServiceRows[row], column).text; }

int CamOf(const PanelModel& m, int id) {
    for (int k = 0; k < m.InputServices[0].count; ++k) {
        if (m.InputServices[0].entries[k].ServiceId == id) return m.InputServices[0].entries[k].Cam;
    }
    return -1;
}

TEST(ServiceList, RowsAndTheirCells) {
    const PanelModel m = TunerPair();
    ASSERT_EQ(m.ServiceRowCount, 4);
    EXPECT_EQ(m.ServiceRows[3].ServiceId, 9);
    EXPECT_EQ(m.ServiceRows[2].Source, 255);
    EXPECT_EQ(m.PlayerServiceSource, 3);

    EXPECT_EQ(ServiceCell(m, m.ServiceRows[0], 0), ui::ListCell{});
    EXPECT_EQ(Image(m, 0, 1), kNotApplicableImage);
    EXPECT_EQ(Text(m, 0, 2), "A");
    EXPECT_EQ(Text(m, 2, 2), "?");
    EXPECT_EQ(Text(m, 1, 3), "2");
    EXPECT_EQ(Text(m, 1, 4), "S2");
    EXPECT_EQ(Image(m, 0, 5), kTelevisionImage);
    EXPECT_EQ(Image(m, 1, 5), kRadioImage);
    EXPECT_EQ(Image(m, 2, 5), ui::kNoImage);
    EXPECT_EQ(Image(m, 1, 6), kClosedPadlockImage);
    EXPECT_EQ(Image(m, 0, 6), kOpenPadlockImage);
    EXPECT_EQ(Image(m, 1, 7), kCamSelectedImage);
    EXPECT_EQ(Image(m, 1, 8), kNotSelectedImage);
    EXPECT_EQ(Image(m, 1, 9), kNotApplicableImage);  // two CI modules: no C3
    EXPECT_EQ(Image(m, 0, 11), kChannelNotSelectedImage);
    EXPECT_EQ(Image(m, 0, 12), kChannelSelectedImage);
    EXPECT_EQ(Text(m, 0, kLcnColumn), "10");
    EXPECT_EQ(Text(m, 0, kHdLcnColumn), "");  // 0
    EXPECT_EQ(Text(m, 3, kHdLcnColumn), "900");
    EXPECT_EQ(ServiceCell(m, m.ServiceRows[0], 18), ui::ListCell{});
    EXPECT_EQ(ServiceRowColor(m.ServiceRows[0]), (ui::Color{0, 0, 128}));
    EXPECT_EQ(ServiceRowColor(m.ServiceRows[2]), (ui::Color{160, 160, 160}));

    PanelModel tuner;  // no output: every row on channel 1, channels 2-4 not applicable
    Announce(tuner, 0, 1);
    BuildServiceList(tuner);
    EXPECT_EQ(Image(tuner, 0, 11), kChannelSelectedImage);
    for (int column = 12; column <= 14; ++column) EXPECT_EQ(Image(tuner, 0, column), kNotApplicableImage);
    EXPECT_EQ(Text(tuner, 0, kLcnColumn), "");
}

TEST(ServiceList, ThePlayersServiceLeadsTheListWhileScheduled) {
    PanelModel m;
    m.InputType = 7;
    m.InputCount = 3;
    m.PlayerServiceId = 77;
    m.PlayerServiceName = "Clips";
    m.ScheduleCount = 1;
    Announce(m, 1, 50);
    BuildServiceList(m);
    ASSERT_EQ(m.ServiceRowCount, 2);
    EXPECT_EQ(m.ServiceRows[0].Name, "Clips");
    EXPECT_EQ(Text(m, 0, 2), "D");
    EXPECT_EQ(Image(m, 0, 1), kPlayImage);
    EXPECT_EQ(Image(m, 1, 1), kNotSelectedImage);
    EXPECT_EQ(Image(m, 0, 11), kChannelSelectedImage);  // played without an output
    EXPECT_EQ(Image(m, 1, 11), kChannelNotSelectedImage);
    EXPECT_EQ(m.PlayerServiceSource, 3);

    Announce(m, 1, 77);  // input B announces it too: the row and the player's source become B's
    BuildServiceList(m);
    EXPECT_EQ(m.ServiceRows[0].Source, 1);
    EXPECT_EQ(m.PlayerServiceSource, 1);

    for (int row = 0; row < 3; ++row) {  // 1 + 3 x 64 services: the last one finds no row
        m.InputSiServices[row].count = 0;
        for (int k = 0; k < kMaxServicesPerRow; ++k) Announce(m, row, 1000 + row * 100 + k);
    }
    BuildServiceList(m);
    EXPECT_EQ(m.ServiceRowCount, kMaxServiceRows);
    EXPECT_EQ(m.ServiceRows[kMaxServiceRows - 1].ServiceId, 1262);
}

TEST(ServiceList, CamDoubleClick) {
    PanelModel m = TunerPair();
    Pass(m, 0, 1, 2);
    BuildServiceList(m);  // rows 0 (id 1) and 2 (id 5) now have CAM 2, row 1 (id 2) CAM 1
    bool refused = true;
    EXPECT_TRUE(ToggleCam(m, 0, 2, {0, 1}, refused));  // C2 on a CAM-2 row clears every selected row
    EXPECT_FALSE(refused);
    EXPECT_EQ(CamOf(m, 1), 0);
    EXPECT_EQ(CamOf(m, 2), 0);
    EXPECT_EQ(m.ServiceRows[1].Cam, 0);  // the list was rebuilt
    EXPECT_TRUE(m.InputDirty && m.OutputDirty);

    ToggleCam(m, 0, 2, {0, 1}, refused);
    m.CamCount = 1;  // C2 no longer applies: the clicked row's CAM stays, nothing changes
    EXPECT_TRUE(ToggleCam(m, 0, 2, {0, 1}, refused));
    EXPECT_EQ(CamOf(m, 1), 2);
    EXPECT_EQ(CamOf(m, 2), 2);

    // Rows announced by no input are refused; the others are still set.
    EXPECT_TRUE(ToggleCam(m, 1, 1, {2, 1, 3}, refused));
    EXPECT_TRUE(refused);
    EXPECT_EQ(CamOf(m, 2), 1);
    EXPECT_EQ(CamOf(m, 5), 2);
    EXPECT_EQ(CamOf(m, 9), -1);
    EXPECT_FALSE(ToggleCam(m, 0, 1, {3}, refused));
    EXPECT_FALSE(ToggleCam(m, 99, 1, {0}, refused));
}

TEST(ServiceList, ChannelDoubleClick) {
    PanelModel m = TunerPair();
    Told told;
    const auto tell = [&told](std::uint16_t id, int channel) { told.emplace_back(id, channel); };
    EXPECT_TRUE(ToggleChannel(m, 1, 3, {1, 2}, tell));
    EXPECT_EQ(told, (Told{{2, 3}, {5, 3}}));
    EXPECT_EQ(m.ServiceRows[2].OutputChannel, 3);
    ToggleChannel(m, 1, 3, {1}, tell);  // the same channel again: off
    EXPECT_EQ(m.ServiceRows[1].OutputChannel, 0);

    m.OutputChannelCount = 2;
    told.clear();
    EXPECT_TRUE(ToggleChannel(m, 0, 4, {0, 1}, tell));  // On4 on two channels: the clicked row's channel 2 spreads
    EXPECT_EQ(told, (Told{{1, 2}, {2, 2}}));

    // A full output table takes no new service, and the chained players are not told.
    for (int k = m.OutputServiceCount; k < kMaxOutputServices; ++k) m.OutputServices[k] = {1000 + k, 0, 0, 1, 0};
    m.OutputServiceCount = kMaxOutputServices;
    Announce(m, 0, 77);
    BuildServiceList(m);
    ASSERT_EQ(m.ServiceRows[2].ServiceId, 77);
    told.clear();
    EXPECT_TRUE(ToggleChannel(m, 2, 1, {2}, tell));
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(m.ServiceRows[2].OutputChannel, 0);

    PanelModel tuner;  // a tuner alone routes nothing, yet the click counts as an edit
    Announce(tuner, 0, 1);
    BuildServiceList(tuner);
    EXPECT_TRUE(ToggleChannel(tuner, 0, 1, {0}, tell));
    EXPECT_EQ(tuner.OutputServiceCount, 0);
    EXPECT_TRUE(tuner.InputDirty);
    EXPECT_FALSE(ToggleChannel(tuner, 0, 1, {}, tell));

    PanelModel player;  // a player alone routes to its one channel
    player.InputType = 7;
    player.InputCount = 3;
    Announce(player, 0, 1);
    BuildServiceList(player);
    told.clear();
    EXPECT_TRUE(ToggleChannel(player, 0, 1, {0}, tell));
    EXPECT_EQ(told, (Told{{1, 1}}));
    EXPECT_EQ(player.ServiceRows[0].OutputChannel, 1);
}

TEST(ServiceList, LcnEdits) {
    PanelModel m = TunerPair();
    EXPECT_EQ(LcnEditText(m.ServiceRows[3], kHdLcnColumn), "900");
    const auto id = [&m](int row) { return m.ServiceRows[row].ServiceId; };
    int typed = -1;
    EXPECT_EQ(ApplyLcnEdit(m, id(0), kLcnColumn, std::string("abc"), typed), LcnEdit::kStored);
    EXPECT_EQ(m.ServiceRows[0].Lcn, 0);
    EXPECT_EQ(Text(m, 0, kLcnColumn), "");
    EXPECT_TRUE(m.OutputDirty);
    ApplyLcnEdit(m, id(0), kHdLcnColumn, std::string("42"), typed);
    EXPECT_EQ(Text(m, 0, kHdLcnColumn), "42");
    ApplyLcnEdit(m, id(0), kLcnColumn, std::string("1023"), typed);
    EXPECT_EQ(m.ServiceRows[0].Lcn, 1023);

    // Beyond ten bits a number would go on air as another: refused, the old one kept.
    m.OutputDirty = false;
    EXPECT_EQ(ApplyLcnEdit(m, id(0), kLcnColumn, std::string("1500"), typed), LcnEdit::kOutOfRange);
    EXPECT_EQ(typed, 1500);
    EXPECT_EQ(ApplyLcnEdit(m, id(0), kHdLcnColumn, std::string("70000"), typed), LcnEdit::kOutOfRange);
    EXPECT_EQ(m.ServiceRows[0].Lcn, 1023);
    EXPECT_EQ(m.ServiceRows[0].HdLcn, 42);
    EXPECT_FALSE(m.OutputDirty);

    // A cancelled edit, another column, a service no longer listed: nothing stored.
    EXPECT_EQ(ApplyLcnEdit(m, id(0), kHdLcnColumn, std::nullopt, typed), LcnEdit::kNothing);
    EXPECT_EQ(ApplyLcnEdit(m, id(0), 14, std::string("7"), typed), LcnEdit::kNothing);
    EXPECT_EQ(ApplyLcnEdit(m, 60000, kLcnColumn, std::string("7"), typed), LcnEdit::kNothing);
    EXPECT_EQ(m.ServiceRows[0].HdLcn, 42);
    EXPECT_FALSE(m.OutputDirty);

    ApplyLcnEdit(m, id(1), kLcnColumn, std::string("8"), typed);  // not on the output yet: added on no channel
    EXPECT_EQ(m.ServiceRows[1].Lcn, 8);
    EXPECT_EQ(m.ServiceRows[1].OutputChannel, 0);

    // The number lands on its service wherever the service's row has gone.
    const std::uint16_t second = id(1);
    std::swap(m.InputSiServices[0].entries[0], m.InputSiServices[0].entries[1]);
    BuildServiceList(m);
    ASSERT_NE(id(1), second);
    ApplyLcnEdit(m, second, kLcnColumn, std::string("9"), typed);
    EXPECT_EQ(m.ServiceRows[0].ServiceId, second);
    EXPECT_EQ(m.ServiceRows[0].Lcn, 9);
}

}  // namespace
}  // namespace kelvane
