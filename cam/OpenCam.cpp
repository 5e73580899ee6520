// The CAM menu's window: creation, opening, leaving and the message area.

#include "cam/OpenCam.h"

#include "app/MessageCatalogue.h"
#include "res/ResourceIds.h"
#include "res/Templates.h"
#include "widgets/Info.h"

namespace kelvane {
namespace {

constexpr std::uint32_t kConnectingShowMs = 10000;

constexpr ui::Font kListFont{"Arial", 18, 400};
constexpr ui::Color kListTextColor{128, 128, 255};

}  // namespace

void COpenCam::Create(ui::Dialog& mainWindow, const PanelServices& services) {
    link_ = &services.link;
    info_ = &services.info;
    window_ = windows_.CreateDialog(res::CamDialogTemplate(), *this, &mainWindow);
    InitCamDialog();
}

void COpenCam::InitCamDialog() {
    ui::ControlColors colors;
    colors.text = kListTextColor;
    colors.hasText = true;
    colors.background = ui::kBlack;
    colors.hasBackground = true;
    for (const int control : {res::kCamList, res::kCamAnswerEdit}) {
        window_->SetFont(control, kListFont);
        window_->SetColors(control, colors);
    }
}

void COpenCam::OpenCamMenu(SlotRecord& module) {
    ShowMessage(kConnectingMessage, kConnectingShowMs);
    requestPending_ = false;
    mmiOpen_ = false;
    holdUntil_ = 0;
    camModule_ = &module;
    camStatus_ = -1;
    receiver_.Reset();
    menuDeadline_ = 0;
    // Nothing of an earlier visit stays: neither its list's meaning nor a question left unanswered.
    listShown_ = false;
    HideAnswerEdit();
    window_->SetTimer(kPollTimer, kPollPeriodMs);
    window_->Show(true);
}

void COpenCam::ClearCamList() {
    for (int left = window_->ItemCount(res::kCamList); left > 0; --left) window_->DeleteItem(res::kCamList, 0);
}

void COpenCam::CloseCamMenu() {
    window_->KillTimer(kPollTimer);
    window_->Show(false);
}

void COpenCam::ShowMessage(int id, std::uint32_t durationMs) { ShowText(MessageText(id), durationMs); }

void COpenCam::ShowText(const std::string& text, std::uint32_t durationMs) {
    if (info_ != nullptr) info_->ShowInfo(text, false, durationMs);
}

std::int64_t COpenCam::Now() const { return static_cast<std::int64_t>(windows_.GetClock().SystemSeconds()); }

}  // namespace kelvane
