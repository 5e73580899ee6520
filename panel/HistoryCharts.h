#pragma once

#include "panel/SignalHistory.h"
#include "ui/Chart.h"

#include <cstdint>

namespace kelvane {

// The history window's charts, drawn from a pair's history in the operator's language. Time runs in minutes up
// to the newest sample, at 0, over the ten minutes the history keeps. A stretch without figures (the module did
// not answer, or nobody asked it for longer than kHistoryGapMs) is shaded, and the lines break across it.
constexpr std::uint64_t kHistoryGapMs = 5000;

constexpr ui::Color kLevelColor{0, 100, 200};
constexpr ui::Color kSnrColor{40, 150, 70};
constexpr ui::Color kRateColor{0, 100, 200};
constexpr ui::Color kCapacityColor{230, 120, 0};
constexpr ui::Color kLockLostColor{210, 30, 30};

// Input row `row` (0-2): its level and S.N.R., and the moments it lost its lock.
ui::ChartData InputHistoryChart(const SignalHistory& history, int row);
// Output channel `channel` (0-3): the rate it carried and its capacity, in Mbit/s.
ui::ChartData ChannelHistoryChart(const SignalHistory& history, int channel);

// Minutes from the newest sample of `history` to `tickMs` (0 or less).
double HistoryMinutes(const SignalHistory& history, std::uint64_t tickMs);

}  // namespace kelvane
