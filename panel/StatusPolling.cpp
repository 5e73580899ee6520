// The module panel's timer: status of the inputs, bit-rates of the output, then the pending edits.

#include "app/TextFormat.h"
#include "app/ModuleTypes.h"
#include "link/Xmit.h"
#include "panel/RateBar.h"
#include "panel/SatCofdm.h"
#include "res/ModulePanelIds.h"
#include "res/ResourceIds.h"
#include "res/Templates.h"

#include <limits>

namespace kelvane {
namespace {

using namespace res::panel;

constexpr std::uint32_t kIntMax = static_cast<std::uint32_t>(std::numeric_limits<int>::max());
constexpr int kLampBitmaps[] = {res::kRedLampBitmap, res::kAmberLampBitmap, res::kGreenLampBitmap};

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
    CXmit& link = services_->link;
    if (!link.XmitRequest({}, input_->Address, kInputStatusCommand, kInputStatusTimeout)) return false;
    status = ParseInputStatus(link.Reply(), model_.InputCount);
    bool lockChanged = false;
    ShowInputStatus(status, lockChanged);
    if (lockChanged) {
        ReadServiceNames();
        FillServiceList();
    }
    if (model_.InputType == kPlayerType && status.player && *status.player != playerState_) {
        playerState_ = *status.player;
        RefreshFileList(*status.player);
    }
    return true;
}

void CSatCofdm::ShowInputStatus(const InputStatus& status, bool& lockChanged) {
    for (int row = 0; row < status.rows; ++row) {
        if (row < 2) {
            const RowControls& c = kRowControls[row];
            ShowRowFigures(row, true);
            // A state the module does not define is not a lock.
            const std::uint8_t lock = status.lock[row];
            window_->SetBitmap(c.lamp, kLampBitmaps[lock <= 2 ? lock : 0]);
            window_->SetPosition(c.levelBar, status.level[row]);
            window_->SetText(c.levelNumber, std::to_string(status.level[row]));
            window_->SetPosition(c.snrBar, status.snr[row]);
            window_->SetText(c.snrNumber, std::to_string(status.snr[row]));
        }
        if (status.lock[row] != inputLockState_[row]) {
            inputLockState_[row] = status.lock[row];
            lockChanged = true;
        }
    }
}

std::vector<ChannelRate> CSatCofdm::PollOutput() {
    if (model_.OutputChannelCount < 1 || output_ == nullptr) {
        ApplyServiceRates(model_, {});
        return {};
    }
    CXmit& link = services_->link;
    const bool answered = link.XmitRequest({}, output_->Address, kListsCommand, kListsTimeout) && link.ReplyLength() != 0;
    const OutputRates rates = answered ? ParseOutputRates(link.Reply(), model_.OutputChannelCount, output_->Type)
                                       : OutputRates{};
    for (int k = 0; k < model_.OutputChannelCount; ++k) {
        if (k < static_cast<int>(rates.channels.size())) {
            const ChannelRate& channel = rates.channels[static_cast<std::size_t>(k)];
            window_->SetText(kChannelRateLabel[k], ChannelRateLabel(channel));
            window_->ShowControl(kChannelRateLabel[k], true);
            window_->ShowControl(kChannelRateBar[k], true);
            window_->SetRange(kChannelRateBar[k], 0, static_cast<int>(std::min<std::uint32_t>(channel.capacity, kIntMax)));
            window_->SetPosition(kChannelRateBar[k], static_cast<int>(std::min<std::uint32_t>(channel.inUse, kIntMax)));
        } else {
            window_->ShowControl(kChannelRateLabel[k], false);
            window_->SetRange(kChannelRateBar[k], 0, 0);
            window_->SetPosition(kChannelRateBar[k], 10);
        }
    }
    ApplyServiceRates(model_, rates.services);
    return rates.channels;
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
