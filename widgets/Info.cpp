#include "widgets/Info.h"

#include "res/ResourceIds.h"
#include "res/Templates.h"

namespace kelvane {
namespace {

constexpr ui::Font kInfoFont{"Arial", 18, 400};
constexpr ui::Color kInfoTextColor{96, 96, 96};

}  // namespace

void CInfo::Create(ui::Dialog& parent) {
    window_ = windows_.CreateDialog(res::InfoDialogTemplate(), *this, &parent);
    ui::ControlColors colors;
    colors.text = kInfoTextColor;
    colors.hasText = true;
    window_->SetColors(res::kInfoText, colors);
    window_->SetColors(res::kInfoProgress, colors);
}

void CInfo::InitInfoFont() { window_->SetFont(res::kInfoText, kInfoFont); }

void CInfo::ShowInfo(const std::string& text, bool wait, std::uint32_t durationMs) {
    text_ = text;
    window_->SetText(res::kInfoText, text_);
    window_->SetTimer(kExpiryTimer, durationMs);
    shown_ = true;
    ShowIfSomethingToShow();
    window_->RepaintNow();
    if (wait) windows_.GetClock().Sleep(durationMs);
}

void CInfo::SetInfoProgress(int range, int position) {
    if (range == 0) {
        window_->ShowControl(res::kInfoProgress, false);
        progressRange_ = 0;
        ShowIfSomethingToShow();
        return;
    }
    if (range != progressRange_) {
        window_->SetRange(res::kInfoProgress, 0, range);
        window_->ShowControl(res::kInfoProgress, true);
    }
    progressRange_ = range;
    window_->SetPosition(res::kInfoProgress, position);
    ShowIfSomethingToShow();
}

bool CInfo::HasSomethingToShow() const { return !text_.empty() || window_->IsControlShown(res::kInfoProgress); }

// An empty grey box would only cover whatever lies beneath it, a panel's service list for one.
void CInfo::ShowIfSomethingToShow() { window_->Show(HasSomethingToShow()); }

void CInfo::OnTimer(int timerId) {
    window_->KillTimer(timerId);
    text_.clear();
    window_->SetText(res::kInfoText, text_);
    shown_ = true;
    ShowIfSomethingToShow();
}

}  // namespace kelvane
