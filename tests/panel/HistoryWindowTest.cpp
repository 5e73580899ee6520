// The signal history window on the headless window system, fed by the module panel's polls of a simulated rack:
// what it is given to draw must be the pair's history, following the pair the panel shows.

#include "app/MessageCatalogue.h"
#include "panel/HistoryWindow.h"
#include "res/ModulePanelIds.h"
#include "res/ResourceIds.h"
#include "sim/InputModule.h"
#include "tests/support/DefaultRackRows.h"
#include "tests/support/ProgramWindow.h"
#include "ui/headless/HeadlessWindowSystem.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

using namespace test::rack;

class HistoryWindowTest : public ::testing::Test, protected test::HeadlessProgram {
protected:
    void SetUp() override {
        SetLanguageIndex(kEnglish);
        Start();
    }

    void Select(int row) { mainWindow->Click(res::kModuleList, row); }
    void OpenHistory() { panelWindow->Click(res::panel::kHistoryButton); }
    ui::HeadlessDialog* HistoryWindow() const { return windows.Find(res::kHistoryDialog); }
    const SignalHistory& History() const { return program.satCofdm->History().History(); }
    const ui::ChartData& Chart(int control) const { return HistoryWindow()->ControlState(control).chart; }

    std::size_t StatusPolls(std::uint8_t address) const { return program.rack->Requests(address, 0x40); }

    // The points a chart must show for a series of the history, at minutes before its newest sample.
    std::vector<ui::ChartPoint> Expected(const std::vector<HistoryPoint>& series) const {
        std::vector<ui::ChartPoint> points;
        const std::uint64_t newest = History().At(History().Size() - 1).tickMs;
        for (const HistoryPoint& p : series) {
            points.push_back({-static_cast<double>(newest - p.tickMs) / 60000.0, static_cast<double>(p.value)});
        }
        return points;
    }
    std::vector<ui::ChartPoint> Expected(const std::vector<RatePoint>& series, bool capacity) const {
        std::vector<ui::ChartPoint> points;
        const std::uint64_t newest = History().At(History().Size() - 1).tickMs;
        for (const RatePoint& p : series) {
            points.push_back(
                {-static_cast<double>(newest - p.tickMs) / 60000.0, (capacity ? p.rate.capacity : p.rate.inUse) / 1e6});
        }
        return points;
    }
};

TEST_F(HistoryWindowTest, ChartsShowEveryPollOfThePairAsThePanelSawIt) {
    Select(kTuner);
    EXPECT_EQ(panelWindow->ControlState(res::panel::kHistoryButton).toolTip, MessageText(kHistoryTipMessage));
    windows.RunFor(20'050);  // polled with the window closed: the history is kept all the same
    EXPECT_EQ(HistoryWindow(), nullptr);
    OpenHistory();
    windows.RunFor(10'000);

    ui::HeadlessDialog* window = HistoryWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->IsShown());
    EXPECT_EQ(window->Parent(), mainWindow) << "it stays over the main window, not inside the panel";
    EXPECT_EQ(window->Caption(), "Signal history - KXB200 / KXD410");
    ASSERT_EQ(History().Size(), StatusPolls(kTuner)) << "one sample per poll of the input";
    ASSERT_GE(History().Size(), 30u);

    const ui::ChartData& input = Chart(res::kInputChart[0]);
    EXPECT_EQ(input.title, "Input A");
    ASSERT_EQ(input.series.size(), 2u);
    EXPECT_EQ(input.series[0].name, "Level");
    EXPECT_EQ(input.series[0].points, Expected(History().Level(0)));
    EXPECT_EQ(input.series[1].name, "S.N.R.");
    EXPECT_EQ(input.series[1].points, Expected(History().Snr(0)));
    // The last point is what the panel's numbers show now, at the right end of the time axis.
    EXPECT_EQ(input.series[0].points.back(),
              (ui::ChartPoint{0.0, std::stod(panelWindow->Text(res::panel::kLevelNumberA))}));
    EXPECT_EQ(input.series[1].points.back().y, std::stod(panelWindow->Text(res::panel::kSnrNumberA)));
    EXPECT_EQ(input.x.minimum, -10.0);
    EXPECT_EQ(input.x.maximum, 0.0);
    EXPECT_EQ(input.x.title, "Time (min)");
    EXPECT_TRUE(input.gaps.empty());
    EXPECT_TRUE(input.series[0].breaks.empty());

    for (int channel = 0; channel < 2; ++channel) {
        const ui::ChartData& rates = Chart(res::kChannelChart[channel]);
        EXPECT_EQ(rates.title, "Channel " + std::to_string(channel + 1));
        ASSERT_EQ(rates.series.size(), 2u);
        EXPECT_EQ(rates.series[0].name, "Rate");
        EXPECT_EQ(rates.series[0].points, Expected(History().Rate(channel), false));
        EXPECT_EQ(rates.series[1].name, "Capacity");
        EXPECT_EQ(rates.series[1].points, Expected(History().Rate(channel), true));
        ASSERT_FALSE(rates.series[1].points.empty());
        EXPECT_GE(rates.y.maximum, rates.series[1].points.back().y) << "the capacity is inside the chart";
    }
    EXPECT_FALSE(window->HasControl(res::kChannelChart[2])) << "a two-channel output has two channel charts";
    EXPECT_FALSE(window->HasControl(res::kInputChart[1]));
}

TEST_F(HistoryWindowTest, LockLossesAreMarkedWhereTheyHappened) {
    auto* tuner = dynamic_cast<sim::InputModule*>(program.rack->engine.Find(kTuner));
    ASSERT_NE(tuner, nullptr);
    Select(kTuner);
    OpenHistory();
    windows.RunFor(12'050);  // locked by now
    ASSERT_TRUE(tuner->PlanLockLoss(0, 3, 4));
    windows.RunFor(15'000);  // lost, then found again
    const std::vector<std::uint64_t> losses = History().LockLosses(0);
    ASSERT_EQ(losses.size(), 1u);
    const ui::ChartData& input = Chart(res::kInputChart[0]);
    ASSERT_EQ(input.events.size(), 1u);
    EXPECT_EQ(input.events[0].name, "Lock lost");
    const std::uint64_t newest = History().At(History().Size() - 1).tickMs;
    EXPECT_EQ(input.events[0].at, (std::vector<double>{-static_cast<double>(newest - losses[0]) / 60000.0}));
    EXPECT_LT(input.events[0].at[0], -7.0 / 60) << "the loss came some seconds before the last poll";
}

TEST_F(HistoryWindowTest, FollowsThePairShownAndStartsAgainForAnother) {
    Select(kTuner);
    OpenHistory();
    windows.RunFor(10'050);
    ASSERT_GE(History().Size(), 10u);

    Select(kPlayer);
    windows.RunFor(3'050);
    ui::HeadlessDialog* window = HistoryWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->IsShown()) << "it stays open and follows the pair";
    EXPECT_EQ(window->Caption(), "Signal history - KXC300 / KXD420");
    EXPECT_LE(History().Size(), 4u) << "another pair's history starts empty";
    for (int row = 0; row < 3; ++row) {
        ASSERT_TRUE(window->HasControl(res::kInputChart[row])) << row;
        EXPECT_EQ(Chart(res::kInputChart[row]).series[0].points, Expected(History().Level(row))) << row;
    }
    for (int channel = 0; channel < 4; ++channel) {
        ASSERT_TRUE(window->HasControl(res::kChannelChart[channel])) << channel;
        EXPECT_EQ(Chart(res::kChannelChart[channel]).series[0].points, Expected(History().Rate(channel), false));
    }

    window->CloseBox();
    EXPECT_FALSE(window->IsShown());
    Select(kTuner);
    windows.RunFor(2'050);
    EXPECT_FALSE(HistoryWindow()->IsShown()) << "a closed window stays closed";
    EXPECT_LE(History().Size(), 3u);
    OpenHistory();
    EXPECT_TRUE(HistoryWindow()->IsShown());
    EXPECT_EQ(HistoryWindow()->Caption(), "Signal history - KXB200 / KXD410");
    EXPECT_EQ(Chart(res::kInputChart[0]).series[0].points, Expected(History().Level(0)));
    HistoryWindow()->PressEscape();
    EXPECT_FALSE(HistoryWindow()->IsShown());
}

TEST_F(HistoryWindowTest, TheSamePairShownAgainKeepsItsPastWithAGap) {
    Select(kTuner);
    OpenHistory();
    windows.RunFor(10'050);
    const std::size_t before = History().Size();
    ASSERT_GE(before, 10u);
    Select(kTwoChannelOutput);  // the same pair, from its output's row
    windows.RunFor(2'000);
    EXPECT_EQ(History().Size(), before + 2) << "the same pair keeps its past";
    Select(kCam);  // away for half a minute
    windows.RunFor(30'000);
    EXPECT_EQ(History().Size(), before + 2);
    Select(kTuner);
    windows.RunFor(5'050);

    const ui::ChartData& input = Chart(res::kInputChart[0]);
    ASSERT_EQ(input.gaps.size(), 1u);
    EXPECT_NEAR(input.gaps[0].to - input.gaps[0].from, 0.5, 0.05) << "the half minute away";
    EXPECT_EQ(input.series[0].breaks, (std::vector<std::size_t>{before + 2})) << "the line breaks there";
    EXPECT_EQ(input.series[0].points, Expected(History().Level(0)));
    EXPECT_EQ(input.gapName, "No data");
}

TEST_F(HistoryWindowTest, AnOutputWithoutFiguresLeavesAGapInItsChannelsOnly) {
    Select(kTuner);
    OpenHistory();
    windows.RunFor(5'050);
    // The output answers its rate polls with nothing for a while; the input goes on.
    program.rack->ports.filter = [](const sim::Request& request, sim::Reply reply) -> std::optional<sim::Reply> {
        if (request.destination == kTwoChannelOutput && request.Command() == 0x60) reply.payload.clear();
        return reply;
    };
    windows.RunFor(4'000);
    program.rack->ports.filter = nullptr;
    windows.RunFor(4'000);

    const ui::ChartData& rates = Chart(res::kChannelChart[1]);
    ASSERT_EQ(rates.gaps.size(), 1u);
    EXPECT_LT(rates.gaps[0].from, rates.gaps[0].to);
    ASSERT_EQ(rates.series[0].breaks.size(), 1u);
    const std::size_t after = rates.series[0].breaks[0];
    EXPECT_EQ(rates.series[0].points.size(), History().Rate(1).size());
    EXPECT_EQ(rates.series[0].points, Expected(History().Rate(1), false));
    EXPECT_GE(rates.gaps[0].to - rates.gaps[0].from, 4.0 / 60) << "four polls without figures";
    EXPECT_EQ(rates.series[0].points[after].x, rates.gaps[0].to) << "the line starts again where the figures do";
    EXPECT_EQ(rates.series[0].points[after - 1].x, rates.gaps[0].from);
    EXPECT_TRUE(Chart(res::kInputChart[0]).gaps.empty()) << "the input answered throughout";
}

}  // namespace
}  // namespace kelvane
