#include "config/ConfigValidate.h"

#include "app/MessageCatalogue.h"
#include "app/Tones.h"
#include "config/ConfigSummary.h"
#include "res/ResourceIds.h"
#include "res/Templates.h"

namespace kelvane {
namespace {}  // namespace

int CConfigValidate::DoModal(ui::Dialog* parent) {
    window_ = windows_.CreateDialog(res::ConfigSummaryTemplate(), *this, parent);
    InitDialog();
    const int result = windows_.RunModal(*window_);
    window_.reset();
    return result == kOk ? kOk : kCancel;
}

void CConfigValidate::InitDialog() {
    window_->SetCaption(MessageText(kConfigurationText));
    window_->SetText(res::kSummaryCancelButton, MessageText(kCancelText));
    matches_ = ConfigMatches(slots_, loaded_);
    window_->EnableControl(res::kSummaryOkButton, matches_);
    if (!matches_) windows_.Beep(kConfigErrorTone.frequencyHz, kConfigErrorTone.milliseconds);
    summaryText_ = ConfigSummaryText(slots_, loaded_);
    window_->SetText(res::kSummaryText, summaryText_);
}

void CConfigValidate::OnNotify(const ui::Notification& notification) {
    if (notification.event != ui::Event::Clicked) return;
    if (notification.control == res::kSummaryOkButton) OnOk();
    if (notification.control == res::kSummaryCancelButton) OnCancel();
}

void CConfigValidate::OnOk() {
    // Enter reaches here whether or not the button can be pressed: a file that does not fit never goes on.
    if (!matches_ || window_ == nullptr) return;
    windows_.EndModal(*window_, kOk);
}

void CConfigValidate::OnCancel() {
    if (window_ != nullptr) windows_.EndModal(*window_, kCancel);
}

}  // namespace kelvane
