#include "panel/RateBar.h"

#include <algorithm>
#include <cstdint>

namespace kelvane {
namespace {

// Bit 15 of a rate is no part of it.
constexpr std::uint16_t kRateBits = 0x7FFF;
constexpr std::int64_t kRateTotalWhenSilent = 100;

void AddIfVisible(std::vector<RateBarRect>& rects, ui::Rect rect, ui::Color color, bool filled) {
    if (rect.width > 0 && rect.height > 0) rects.push_back({rect, color, filled});
}

}  // namespace

std::vector<RateBarRect> RateBarRects(const PanelModel& m, int width, int height,
                                      const std::vector<int>& selectedRows) {
    std::vector<RateBarRect> rects;
    const int rows = std::clamp(m.ServiceRowCount, 0, kMaxServiceRows);
    if (rows == 0) {
        AddIfVisible(rects, {0, 0, width, height}, kRateBarFrameColor, false);
        AddIfVisible(rects, {1, 1, width - 2, height - 2}, ui::kWhite, true);
        return rects;
    }
    std::int64_t total = 0;
    for (int r = 0; r < rows; ++r) total += m.ServiceRows[r].Rate & kRateBits;
    if (total == 0) total = kRateTotalWhenSilent;

    std::int64_t running = 0;
    int begin = 0;
    for (int r = 0; r < rows; ++r) {
        running += m.ServiceRows[r].Rate & kRateBits;
        const int end = static_cast<int>(running * width / total);
        const bool selected = std::find(selectedRows.begin(), selectedRows.end(), r) != selectedRows.end();
        AddIfVisible(rects, {begin + 1, 1, end - begin - 2, height - 2},
                     selected ? kRateBarSelectedColor : kRateBarRowColor, true);
        AddIfVisible(rects, {begin, 0, end - begin, height}, kRateBarFrameColor, false);
        begin = end;
    }
    return rects;
}

}  // namespace kelvane
