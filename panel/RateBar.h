#pragma once

#include "panel/PanelModel.h"
#include "ui/Geometry.h"

#include <vector>

namespace kelvane {

// One rectangle of the service rate bar, in the frame's client coordinates: filled with `color`, or framed
// (a one-pixel border) when not `filled`. Painted in the order given.
struct RateBarRect {
    ui::Rect rect;
    ui::Color color;
    bool filled;
    bool operator==(const RateBarRect&) const = default;
};

constexpr ui::Color kRateBarFrameColor{130, 135, 144};
constexpr ui::Color kRateBarSelectedColor{0, 162, 232};
constexpr ui::Color kRateBarRowColor{192, 192, 192};

// The bar of a frame `width` × `height`: one segment per service row, as wide as its share of the summed rates,
// blue when the row is selected. Empty rectangles (a row without rate) are left out.
std::vector<RateBarRect> RateBarRects(const PanelModel& m, int width, int height, const std::vector<int>& selectedRows);

}  // namespace kelvane
