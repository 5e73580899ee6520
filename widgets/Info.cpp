#include "widgets/Info.h"

#include "res/ResourceIds.h"
#include "res/Templates.h"
#include "text/Utf8.h"

#include <algorithm>

namespace kelvane {
namespace {

constexpr ui::Font kInfoFont{"Arial", 18, 400};
constexpr ui::Color kInfoTextColor{96, 96, 96};
constexpr std::uint32_t kNoticeMs = 1500;
constexpr std::uint32_t kReadingMsPerCharacter = 65;
constexpr std::size_t kLongestRead = 400;  // characters: a longer text is not read whole anyway

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
    shown_ = true;
    const std::uint64_t now = windows_.GetClock().TickCount();
    if (text.empty() && !text_.empty() && (lasting_ || now < readableUntil_)) {
        // A request to clear comes when its caller is done, not when the operator is: the text stays.
        if (!lasting_) window_->SetTimer(kExpiryTimer, static_cast<std::uint32_t>(readableUntil_ - now));
        return;
    }
    PutText(text);
    window_->SetTimer(kExpiryTimer, std::max(durationMs, ReadingTimeMs(text)));
    if (wait) windows_.GetClock().Sleep(durationMs);
}

void CInfo::ShowLasting(const std::string& text) {
    shown_ = true;
    PutText(text);
    window_->KillTimer(kExpiryTimer);
    lasting_ = true;
}

void CInfo::PutText(const std::string& text) {
    text_ = text;
    lasting_ = false;
    readableUntil_ = windows_.GetClock().TickCount() + ReadingTimeMs(text);
    window_->SetText(res::kInfoText, text_);
    ShowIfSomethingToShow();
    window_->RepaintNow();
    if (listener_ && !text_.empty()) listener_(text_);
}

// About fifteen characters a second, after a moment to notice that something appeared.
std::uint32_t CInfo::ReadingTimeMs(const std::string& text) {
    if (text.empty()) return 0;
    return kNoticeMs +
           kReadingMsPerCharacter * static_cast<std::uint32_t>(std::min<std::size_t>(Utf8Length(text), kLongestRead));
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
    if (lasting_) return;
    text_.clear();
    window_->SetText(res::kInfoText, text_);
    shown_ = true;
    ShowIfSomethingToShow();
}

}  // namespace kelvane
