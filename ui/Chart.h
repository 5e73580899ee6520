#pragma once

#include "ui/Geometry.h"

#include <cstddef>
#include <string>
#include <vector>

namespace kelvane::ui {

struct ChartPoint {
    double x = 0;
    double y = 0;
    bool operator==(const ChartPoint&) const = default;
};

// One line of a chart, named in its legend. Where its figures are missing the line is broken: a new stretch
// starts at each index of `breaks` (ascending), so that a chart never joins two points across a gap.
struct ChartSeries {
    std::string name;
    Color color;
    std::vector<ChartPoint> points;
    std::vector<std::size_t> breaks;
    bool operator==(const ChartSeries&) const = default;
};

struct ChartAxis {
    std::string title;
    double minimum = 0;
    double maximum = 1;
    int ticks = 2;  // labelled values, both ends included
    int decimals = 0;  // of the labels
    bool operator==(const ChartAxis&) const = default;
};

// Stretches of the x axis where nothing was measured, shaded and named once in the legend.
struct ChartSpan {
    double from = 0;
    double to = 0;
    bool operator==(const ChartSpan&) const = default;
};

// Moments on the x axis, drawn as upright lines across the chart and named once in the legend.
struct ChartEvents {
    std::string name;
    Color color;
    std::vector<double> at;
    bool operator==(const ChartEvents&) const = default;
};

// What a chart control shows: lines over two axes, with the gaps and the events of the same time axis.
struct ChartData {
    std::string title;
    ChartAxis x;
    ChartAxis y;
    std::vector<ChartSeries> series;
    std::string gapName;
    std::vector<ChartSpan> gaps;
    std::vector<ChartEvents> events;
    bool operator==(const ChartData&) const = default;
};

}  // namespace kelvane::ui
