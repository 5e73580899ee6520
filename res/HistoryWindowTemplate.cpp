#include "res/ResourceIds.h"
#include "res/Templates.h"

#include <algorithm>

// The signal history window: a column of input charts, and beside it a column of channel charts when the pair
// has an output. Each column's charts share its height, so that no pair leaves an empty hole in the window.
namespace kelvane::res {
namespace {

using namespace ui;

constexpr int kWidth = 560;
constexpr int kHeight = 360;
constexpr int kMargin = 3;

void Column(DialogTemplate& t, const int* ids, int count, int x, int width) {
    const int height = (kHeight - kMargin * (count + 1)) / count;
    for (int k = 0; k < count; ++k) {
        t.controls.push_back(Plain(ids[k], ControlKind::Chart, {x, kMargin + k * (height + kMargin), width, height}));
    }
}

}  // namespace

DialogTemplate HistoryWindowTemplate(int inputRows, int channels) {
    inputRows = std::clamp(inputRows, 1, 3);
    channels = std::clamp(channels, 0, 4);
    DialogTemplate t = Window(kHistoryDialog, {kWidth, kHeight}, "Signal history", {});
    const int columns = channels > 0 ? 2 : 1;
    const int width = (kWidth - kMargin * (columns + 1)) / columns;
    Column(t, kInputChart, inputRows, kMargin, width);
    if (channels > 0) Column(t, kChannelChart, channels, 2 * kMargin + width, width);
    return t;
}

}  // namespace kelvane::res
