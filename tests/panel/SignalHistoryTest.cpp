// The signal history of a pair: bounded by count and by age, series with gaps where a module did not answer,
// and the moments an input lost its lock.

#include "panel/SignalHistory.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

HistorySample Sample(std::uint64_t tickMs, std::uint8_t lock, std::uint8_t level, std::uint32_t inUse = 1000) {
    InputStatus status;
    status.rows = 1;
    status.lock[0] = lock;
    status.level[0] = level;
    status.snr[0] = static_cast<std::uint8_t>(level / 2);
    return MakeHistorySample(tickMs, status, {{inUse, 24'000'000}});
}

TEST(SignalHistory, KeepsTheLastTenMinutesOfSecondPolls) {
    SignalHistory history;
    for (std::uint64_t k = 0; k < 700; ++k)
        ASSERT_TRUE(history.Add(Sample(1000 * k, 2, static_cast<std::uint8_t>(k % 100))));
    ASSERT_EQ(history.Size(), SignalHistory::kSamples);
    EXPECT_EQ(history.At(0).tickMs, 100'000u) << "the oldest hundred went";
    EXPECT_EQ(history.At(history.Size() - 1).tickMs, 699'000u);
    const auto level = history.Level(0);
    ASSERT_EQ(level.size(), 600u);
    EXPECT_EQ(level.front(), (HistoryPoint{100'000, 0}));
    EXPECT_EQ(level.back(), (HistoryPoint{699'000, 99}));
}

TEST(SignalHistory, SlowPollsDoNotStretchItPastTenMinutes) {
    SignalHistory history;
    for (std::uint64_t k = 0; k < 200; ++k) ASSERT_TRUE(history.Add(Sample(5000 * k, 2, 50)));
    EXPECT_EQ(history.Size(), 121u) << "ages 0 to 600 s in steps of 5 s";
    EXPECT_EQ(history.At(0).tickMs, 995'000u - 600'000u);
}

TEST(SignalHistory, ModulesThatDidNotAnswerLeaveGapsNotZeros) {
    SignalHistory history;
    history.Add(Sample(1000, 2, 70));
    history.Add(MakeHistorySample(2000, InputStatus{}, {}));  // neither module answered
    InputStatus twoRows;
    twoRows.rows = 2;
    twoRows.level = {71, 40, 0};
    history.Add(MakeHistorySample(3000, twoRows, {{5, 6}, {7, 8}, {9, 10}, {11, 12}, {13, 14}}));
    EXPECT_EQ(history.Level(0), (std::vector<HistoryPoint>{{1000, 70}, {3000, 71}}));
    EXPECT_EQ(history.Level(1), (std::vector<HistoryPoint>{{3000, 40}}));
    EXPECT_EQ(history.Snr(0), (std::vector<HistoryPoint>{{1000, 35}, {3000, 0}}));
    EXPECT_EQ(history.Rate(0), (std::vector<RatePoint>{{1000, {1000, 24'000'000}}, {3000, {5, 6}}}));
    EXPECT_EQ(history.Rate(3), (std::vector<RatePoint>{{3000, {11, 12}}})) << "a fifth channel is not kept";
    EXPECT_TRUE(history.Level(3).empty());
    EXPECT_TRUE(history.Rate(4).empty());
    EXPECT_TRUE(history.Level(-1).empty());
}

TEST(SignalHistory, LockLossesAreMarkedEvenAcrossAGap) {
    SignalHistory history;
    const std::uint8_t locks[] = {0, 1, 2, 2, 0, 0, 2, 2, 1, 2};
    std::uint64_t tick = 0;
    for (const std::uint8_t lock : locks) {
        history.Add(Sample(tick += 1000, lock, 60));
        if (tick == 8000) history.Add(MakeHistorySample(tick += 1000, InputStatus{}, {}));  // silent while locked
    }
    EXPECT_EQ(history.LockLosses(0), (std::vector<std::uint64_t>{5000, 10000}))
        << "searching at the start is no loss; from locked to carrier found across a silent poll is";
    EXPECT_TRUE(history.LockLosses(1).empty());
}

TEST(SignalHistory, TimeGoingBackIsRefusedAndClearStartsAfresh) {
    SignalHistory history;
    ASSERT_TRUE(history.Add(Sample(5000, 2, 60)));
    EXPECT_FALSE(history.Add(Sample(4999, 2, 61)));
    EXPECT_TRUE(history.Add(Sample(5000, 2, 62))) << "the same tick is no going back";
    EXPECT_EQ(history.Size(), 2u);
    history.Clear();
    EXPECT_EQ(history.Size(), 0u);
    EXPECT_TRUE(history.Level(0).empty());
    EXPECT_TRUE(history.Add(Sample(10, 2, 60))) << "another pair starts its own time";
}

}  // namespace
}  // namespace kelvane
