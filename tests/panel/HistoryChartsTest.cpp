// The history window's charts from a history built by hand: where lines break and gaps are shaded, the axes'
// reach, and the texts in the operator's language.

#include "app/MessageCatalogue.h"
#include "panel/HistoryCharts.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

HistorySample Sample(std::uint64_t tickMs, int rows, std::uint8_t level, std::vector<ChannelRate> rates = {}) {
    InputStatus status;
    status.rows = rows;
    status.lock = {2, 2, 2};
    status.level = {level, level, level};
    status.snr = {40, 40, 40};
    return MakeHistorySample(tickMs, status, rates);
}

class HistoryCharts : public ::testing::Test {
protected:
    void SetUp() override { SetLanguageIndex(kEnglish); }
    void TearDown() override { SetLanguageIndex(saved_); }

private:
    int saved_ = LanguageIndex();
};

TEST_F(HistoryCharts, MissingFiguresAndLongPausesBreakTheLinesAndAreShaded) {
    SignalHistory history;
    history.Add(Sample(0, 0, 0));  // the input said nothing yet
    history.Add(Sample(1000, 1, 50));  // point 0
    history.Add(Sample(2000, 1, 51));  // point 1
    history.Add(Sample(3000, 0, 0));  // nothing
    history.Add(Sample(4000, 0, 0));  // nothing
    history.Add(Sample(5000, 1, 52));  // point 2: a new stretch
    history.Add(Sample(9000, 1, 53));  // point 3: four seconds on, still the same stretch
    history.Add(Sample(15000, 1, 54));  // point 4: six seconds on, nobody asked in between
    history.Add(Sample(16000, 0, 0));  // nothing, to the end
    history.Add(Sample(18000, 0, 0));

    const ui::ChartData chart = InputHistoryChart(history, 0);
    const auto at = [](double ms) { return (ms - 18000) / 60000.0; };
    EXPECT_EQ(
        chart.series[0].points,
        (std::vector<ui::ChartPoint>{{at(1000), 50}, {at(2000), 51}, {at(5000), 52}, {at(9000), 53}, {at(15000), 54}}));
    EXPECT_EQ(chart.series[0].breaks, (std::vector<std::size_t>{2, 4}));
    EXPECT_EQ(chart.series[1].breaks, chart.series[0].breaks) << "level and S.N.R. come from the same replies";
    EXPECT_EQ(chart.gaps, (std::vector<ui::ChartSpan>{
                              {at(0), at(1000)}, {at(2000), at(5000)}, {at(9000), at(15000)}, {at(15000), 0}}));
    EXPECT_TRUE(InputHistoryChart(history, 1).series[0].points.empty()) << "a row the module never reported";
}

TEST_F(HistoryCharts, AxesReachOverEveryFigure) {
    SignalHistory history;
    history.Add(Sample(1000, 1, 60, {{12'345'678, 24'000'000}, {150'000, 300'000}}));
    const ui::ChartData input = InputHistoryChart(history, 0);
    EXPECT_EQ(input.y.minimum, 0);
    EXPECT_EQ(input.y.maximum, 100) << "as the panel's bars";
    history.Add(Sample(2000, 1, 180, {{30'000'000, 24'000'000}, {150'000, 300'000}}));
    EXPECT_EQ(InputHistoryChart(history, 0).y.maximum, 200) << "a level beyond the bars still fits";

    const ui::ChartData wide = ChannelHistoryChart(history, 0);
    EXPECT_EQ(wide.y.title, "Mbit/s");
    EXPECT_GE(wide.y.maximum, 30.0) << "a rate over the capacity is not cut off";
    EXPECT_LE(wide.y.maximum, 40.0);
    EXPECT_EQ(wide.series[0].points.back().y, 30.0);
    EXPECT_EQ(wide.series[1].points.back().y, 24.0);
    const ui::ChartData narrow = ChannelHistoryChart(history, 1);
    EXPECT_GE(narrow.y.maximum, 0.3);
    EXPECT_LE(narrow.y.maximum, 0.5);
    EXPECT_EQ(narrow.y.decimals, 1) << "labels that tell 0.1 from 0.2";
    EXPECT_EQ(input.x.minimum, -10);
    EXPECT_EQ(input.x.maximum, 0);
}

TEST_F(HistoryCharts, TextsFollowTheOperatorsLanguage) {
    SignalHistory history;
    history.Add(Sample(1000, 3, 60, {{1, 2}, {3, 4}, {5, 6}, {7, 8}}));
    SetLanguageIndex(kGerman);
    const ui::ChartData input = InputHistoryChart(history, 2);
    EXPECT_EQ(input.title, "Eingang C");
    EXPECT_EQ(input.series[0].name, "Pegel");
    EXPECT_EQ(input.series[1].name, "S.N.R.");
    EXPECT_EQ(input.events[0].name, "Synchronisation verloren");
    EXPECT_EQ(input.x.title, "Zeit (min)");
    EXPECT_EQ(input.gapName, "Keine Daten");
    const ui::ChartData channel = ChannelHistoryChart(history, 3);
    EXPECT_EQ(channel.title, "Kanal 4");
    EXPECT_EQ(channel.series[0].name, "Datenrate");
    EXPECT_EQ(channel.series[1].name, "Kapazität");
}

}  // namespace
}  // namespace kelvane
