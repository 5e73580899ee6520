// The CAM menu's window: creation, opening, leaving and the message area.

#include "cam/OpenCam.h"

#include "res/ResourceIds.h"
#include "res/Templates.h"
#include "widgets/Info.h"

namespace kelvane {

constexpr ui::Font kListFont{"Arial", 18, 400};
constexpr ui::Color kListTextColor{128, 128, 255};

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
    camModule_ = &module;
    dialogue_.Open(*link_, module.Address);
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

void COpenCam::ShowNotice(const std::string& text, std::uint32_t durationMs) {
    if (info_ != nullptr) info_->ShowInfo(text, false, durationMs);
}

}  // namespace kelvane
