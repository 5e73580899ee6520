// Timer 1 of the CAM menu, which drives the dialogue, and the CAM's status on the traffic light.

#include "cam/OpenCam.h"

#include "res/ResourceIds.h"

#include <array>

namespace kelvane {

// Red for no CAM, amber for a CAM present, green once it shows a menu. A status without a picture of its own
// (above 2) still means a CAM is there: amber.
constexpr std::array<int, 3> kStatusPictures{res::kRedLampBitmap, res::kAmberLampBitmap, res::kGreenLampBitmap};
constexpr int kAmberPicture = 1;

void COpenCam::OnTimer(int timerId) {
    if (timerId == kPollTimer) PollTick();
}

void COpenCam::PollTick() {
    window_->KillTimer(kPollTimer);
    // A module that does not answer stops the polling; the link supervision takes it from there.
    if (!dialogue_.Tick()) return;
    window_->SetTimer(kPollTimer, kPollPeriodMs);
}

void COpenCam::ShowStatus(int status) {
    if (status == 0) {
        ClearCamList();
        HideAnswerEdit();
    }
    ShowStatusPicture(status < static_cast<int>(kStatusPictures.size()) ? status : kAmberPicture);
}

void COpenCam::ShowStatusPicture(int picture) {
    window_->SetBitmap(res::kCamLampPicture, kStatusPictures[static_cast<std::size_t>(picture)]);
}

}  // namespace kelvane
