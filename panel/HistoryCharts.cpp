#include "panel/HistoryCharts.h"

#include "app/MessageCatalogue.h"
#include "app/MessageIds.h"
#include "app/TextFormat.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace kelvane {
namespace {

constexpr double kMsPerMinute = 60'000.0;
constexpr double kMinutesKept = static_cast<double>(SignalHistory::kWindowMs) / kMsPerMinute;
constexpr int kValueIntervals = 5;

// Where one series has figures: the points after which its line breaks, and the stretches it has none.
struct Stretches {
    std::vector<std::size_t> breaks;
    std::vector<ui::ChartSpan> gaps;
};

// `answered(sample)` says whether a sample holds the series' figures.
template <class Answered>
Stretches FindStretches(const SignalHistory& history, Answered answered) {
    Stretches found;
    std::optional<std::uint64_t> last;  // the last sample with figures
    std::optional<std::uint64_t> gapStart;  // since when there are none
    std::size_t points = 0;
    for (std::size_t k = 0; k < history.Size(); ++k) {
        const HistorySample& sample = history.At(k);
        if (!answered(sample)) {
            if (!gapStart) gapStart = last.value_or(sample.tickMs);
            continue;
        }
        if (!gapStart && last && sample.tickMs - *last > kHistoryGapMs) gapStart = *last;
        if (gapStart) {
            found.gaps.push_back({HistoryMinutes(history, *gapStart), HistoryMinutes(history, sample.tickMs)});
            if (points > 0) found.breaks.push_back(points);
            gapStart.reset();
        }
        last = sample.tickMs;
        ++points;
    }
    if (gapStart) found.gaps.push_back({HistoryMinutes(history, *gapStart), 0.0});
    return found;
}

// A value axis from 0 just over `largest`, in at most five intervals of 1, 2 or 5 times a power of ten.
ui::ChartAxis ValueAxis(std::string title, double largest) {
    largest = std::max(largest, 1e-3);
    const double rough = largest / kValueIntervals;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double interval = power * 10;
    for (const double step : {1.0, 2.0, 5.0}) {
        if (power * step >= rough) {
            interval = power * step;
            break;
        }
    }
    const int intervals = std::max(1, static_cast<int>(std::ceil(largest / interval - 1e-9)));
    const int decimals = interval >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(interval) - 1e-9));
    return {std::move(title), 0, interval * intervals, intervals + 1, decimals};
}

ui::ChartAxis TimeAxis() {
    // A label every two minutes leaves room for the legend of the longest language beside the chart.
    return {MessageText(kHistoryTimeAxisMessage), -kMinutesKept, 0, static_cast<int>(kMinutesKept) / 2 + 1, 0};
}

ui::ChartData Frame(std::string title, const Stretches& stretches) {
    ui::ChartData chart;
    chart.title = std::move(title);
    chart.x = TimeAxis();
    chart.gapName = MessageText(kHistoryNoDataMessage);
    chart.gaps = stretches.gaps;
    return chart;
}

ui::ChartSeries Series(int message, ui::Color color, const Stretches& stretches) {
    ui::ChartSeries series;
    series.name = MessageText(message);
    series.color = color;
    series.breaks = stretches.breaks;
    return series;
}

}  // namespace

double HistoryMinutes(const SignalHistory& history, std::uint64_t tickMs) {
    if (history.Size() == 0) return 0;
    const std::uint64_t newest = history.At(history.Size() - 1).tickMs;
    return tickMs >= newest ? 0.0 : -static_cast<double>(newest - tickMs) / kMsPerMinute;
}

ui::ChartData InputHistoryChart(const SignalHistory& history, int row) {
    const Stretches stretches =
        FindStretches(history, [row](const HistorySample& sample) { return row < sample.inputRows; });
    const char letter[] = {static_cast<char>('A' + std::clamp(row, 0, kMaxInputRows - 1)), '\0'};
    ui::ChartData chart = Frame(FormatText(MessageText(kHistoryInputMessage), {letter}), stretches);
    ui::ChartSeries level = Series(kLevelText, kLevelColor, stretches);
    ui::ChartSeries snr = Series(kSnrText, kSnrColor, stretches);
    int largest = 100;  // the panel's bars go to 100; the chart grows only for a module that goes beyond
    for (const HistoryPoint& p : history.Level(row)) {
        level.points.push_back({HistoryMinutes(history, p.tickMs), static_cast<double>(p.value)});
        largest = std::max(largest, p.value);
    }
    for (const HistoryPoint& p : history.Snr(row)) {
        snr.points.push_back({HistoryMinutes(history, p.tickMs), static_cast<double>(p.value)});
        largest = std::max(largest, p.value);
    }
    chart.y = ValueAxis("", largest);
    chart.series = {std::move(level), std::move(snr)};
    ui::ChartEvents losses{MessageText(kHistoryLockLostMessage), kLockLostColor, {}};
    for (const std::uint64_t tick : history.LockLosses(row)) losses.at.push_back(HistoryMinutes(history, tick));
    chart.events = {std::move(losses)};
    return chart;
}

ui::ChartData ChannelHistoryChart(const SignalHistory& history, int channel) {
    const Stretches stretches =
        FindStretches(history, [channel](const HistorySample& sample) { return channel < sample.channels; });
    ui::ChartData chart = Frame(FormatText(MessageText(kHistoryChannelMessage), {channel + 1}), stretches);
    ui::ChartSeries rate = Series(kHistoryRateMessage, kRateColor, stretches);
    ui::ChartSeries capacity = Series(kHistoryCapacityMessage, kCapacityColor, stretches);
    double largest = 0;
    for (const RatePoint& p : history.Rate(channel)) {
        const double x = HistoryMinutes(history, p.tickMs);
        rate.points.push_back({x, p.rate.inUse / 1e6});
        capacity.points.push_back({x, p.rate.capacity / 1e6});
        largest = std::max({largest, p.rate.inUse / 1e6, p.rate.capacity / 1e6});
    }
    chart.y = ValueAxis("Mbit/s", largest * 1.05);
    chart.series = {std::move(rate), std::move(capacity)};
    return chart;
}

}  // namespace kelvane
