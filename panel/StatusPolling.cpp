// The module panel's timer: status of the inputs, bit-rates of the output, then the pending edits.

#include "app/TextFormat.h"
#include "app/ModuleTypes.h"
#include "panel/RateBar.h"
#include "panel/SatCofdm.h"
#include "res/ModulePanelIds.h"
#include "res/ResourceIds.h"
#include "res/Templates.h"

#include <algorithm>
#include <limits>

namespace kelvane {
namespace {

using namespace res::panel;

constexpr std::uint32_t kIntMax = static_cast<std::uint32_t>(std::numeric_limits<int>::max());
// A state the module does not define is not a lock.
int LampBitmap(LockState lock) {
    switch (lock) {
    case LockState::Locked: return res::kGreenLampBitmap;
    case LockState::Carrier: return res::kAmberLampBitmap;
    case LockState::NoLock:
    case LockState::Undefined: break;
    }
    return res::kRedLampBitmap;
}

struct RowControls {
    int lamp, levelBar, levelNumber, snrBar, snrNumber;
};
constexpr RowControls kRowControls[] = {
    {kLampA, kLevelBarA, kLevelNumberA, kSnrBarA, kSnrNumberA},
    {kLampB, kLevelBarB, kLevelNumberB, kSnrBarB, kSnrNumberB},
};

}  // namespace

void CSatCofdm::StatusTick() {
    window_->KillTimer(kPollTimer);
    InputStatus status;
    if (!PollInput(status)) return;  // polling stays stopped until the panel is loaded again
    const std::vector<ChannelRate> rates = PollOutput();
    history_->Record(windows_.GetClock().TickCount(), status, rates);
    if (operatorEdited_ && (model_.InputDirty || model_.OutputDirty)) ApplyPendingEdits();
    DrawRateBar();
    window_->SetTimer(kPollTimer, kPollPeriodMs);
}

bool CSatCofdm::PollInput(InputStatus& status) {
    const InputPoll poll = poller_->PollInput(model_);
    if (!poll.answered) return false;
    status = poll.status;
    ShowInputStatus(status);
    if (poll.namesAsked) FillServiceList();
    if (poll.playerState) RefreshFileList(*poll.playerState);
    return true;
}

void CSatCofdm::ShowInputStatus(const InputStatus& status) {
    for (int row = 0; row < std::min(status.rows, 2); ++row) {
        const RowControls& c = kRowControls[row];
        ShowRowFigures(row, true);
        window_->SetBitmap(c.lamp, LampBitmap(ReadLockState(status.lock[row])));
        window_->SetPosition(c.levelBar, status.level[row]);
        window_->SetText(c.levelNumber, std::to_string(status.level[row]));
        window_->SetPosition(c.snrBar, status.snr[row]);
        window_->SetText(c.snrNumber, std::to_string(status.snr[row]));
    }
}

std::vector<ChannelRate> CSatCofdm::PollOutput() {
    const OutputPoll poll = poller_->PollOutput(model_);
    if (!poll.asked) return {};
    const std::vector<ChannelRate>& channels = poll.rates.channels;
    for (int k = 0; k < model_.OutputChannelCount; ++k) {
        if (k < static_cast<int>(channels.size())) {
            const ChannelRate& channel = channels[static_cast<std::size_t>(k)];
            window_->SetText(kChannelRateLabel[k], ChannelRateLabel(channel));
            window_->ShowControl(kChannelRateLabel[k], true);
            window_->ShowControl(kChannelRateBar[k], true);
            window_->SetRange(kChannelRateBar[k], 0,
                              static_cast<int>(std::min<std::uint32_t>(channel.capacity, kIntMax)));
            window_->SetPosition(kChannelRateBar[k], static_cast<int>(std::min<std::uint32_t>(channel.inUse, kIntMax)));
        } else {
            window_->ShowControl(kChannelRateLabel[k], false);
            window_->SetRange(kChannelRateBar[k], 0, 0);
            window_->SetPosition(kChannelRateBar[k], 10);
        }
    }
    return channels;
}

// Until a module has given figures there are none to show: no made-up zeros, no placeholder text.
void CSatCofdm::HideFigures() {
    for (int row = 0; row < 2; ++row) ShowRowFigures(row, false);
    for (int k = 0; k < kMaxOutputChannels; ++k) {
        window_->ShowControl(kChannelRateLabel[k], false);
        window_->ShowControl(kChannelRateBar[k], false);
    }
}

void CSatCofdm::ShowRowFigures(int row, bool shown) {
    // The second row exists on the player alone.
    const bool exists = row == 0 || model_.InputType == kPlayerType;
    const RowControls& c = kRowControls[row];
    for (const int control : {c.levelBar, c.levelNumber, c.snrBar, c.snrNumber}) {
        window_->ShowControl(control, shown && exists);
    }
}

void CSatCofdm::DrawRateBar() {
    static const ui::Rect area = ui::DialogUnitsToPixels(res::ModulePanelTemplate().Find(kRateBar)->rect);
    const std::vector<RateBarRect> rects =
        RateBarRects(model_, area.width, area.height, window_->SelectedRows(kServiceList));
    std::vector<ui::DrawnRect> drawing;
    drawing.reserve(rects.size());
    for (const RateBarRect& r : rects) drawing.push_back({r.rect, r.color, r.filled});
    window_->SetDrawing(kRateBar, drawing);
}

}  // namespace kelvane
