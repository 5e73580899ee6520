#include "panel/HistoryWindow.h"

#include "app/MessageCatalogue.h"
#include "app/ModuleTypes.h"
#include "app/TextFormat.h"
#include "panel/HistoryCharts.h"
#include "res/ResourceIds.h"
#include "res/Templates.h"

#include <algorithm>

namespace kelvane {

CHistoryWindow::CHistoryWindow(ui::WindowSystem& windows, ui::Dialog& owner) : windows_(windows), owner_(owner) {}

CHistoryWindow::~CHistoryWindow() = default;

void CHistoryWindow::FollowPair(const SlotRecord& input, const SlotRecord* output, int inputRows, int channels) {
    PairId pair{input.Address, input.Type, {}, {}};
    if (output != nullptr) {
        pair.outputAddress = output->Address;
        pair.outputType = output->Type;
    }
    if (pair_ != pair) history_.Clear();
    pair_ = pair;
    pairName_ = ModuleTypeName(input.Type);
    if (output != nullptr) pairName_ += std::string(" / ") + ModuleTypeName(output->Type);
    inputRows_ = std::clamp(inputRows, 1, kMaxInputRows);
    channels_ = std::clamp(channels, 0, kMaxOutputChannels);
    if (!IsOpen()) return;
    if (inputRows_ != builtInputRows_ || channels_ != builtChannels_) BuildForPair();
    Draw();
}

void CHistoryWindow::Record(std::uint64_t tickMs, const InputStatus& status, const std::vector<ChannelRate>& rates) {
    history_.Add(MakeHistorySample(tickMs, status, rates));
    if (IsOpen()) Draw();
}

void CHistoryWindow::Open() {
    if (!pair_) return;
    if (window_ == nullptr || inputRows_ != builtInputRows_ || channels_ != builtChannels_) BuildForPair();
    window_->Show(true);
    Draw();
}

bool CHistoryWindow::IsOpen() const { return window_ != nullptr && window_->IsShown(); }

// Escape and the close box only hide the window: the history goes on, and the button shows it again.
void CHistoryWindow::OnCancel() { OnClose(); }

void CHistoryWindow::OnClose() {
    if (window_ != nullptr) window_->Show(false);
}

// The charts a pair needs are laid out by its shape: a window built for another shape is made again where it was.
void CHistoryWindow::BuildForPair() {
    const bool shown = IsOpen();
    std::optional<ui::Point> where;
    if (window_ != nullptr) where = ui::Point{window_->Bounds().x, window_->Bounds().y};
    window_.reset();
    window_ = windows_.CreateDialog(res::HistoryWindowTemplate(inputRows_, channels_), *this, &owner_);
    window_->SetWindowIcon(res::kHistoryIcon);
    if (where) window_->MoveTo(*where);
    builtInputRows_ = inputRows_;
    builtChannels_ = channels_;
    if (shown) window_->Show(true);
}

void CHistoryWindow::Draw() {
    window_->SetCaption(FormatText(MessageText(kHistoryTitleMessage), {pairName_}));
    for (int row = 0; row < inputRows_; ++row)
        window_->SetChart(res::kInputChart[row], InputHistoryChart(history_, row));
    for (int channel = 0; channel < channels_; ++channel) {
        window_->SetChart(res::kChannelChart[channel], ChannelHistoryChart(history_, channel));
    }
}

}  // namespace kelvane
