#include "cam/OpenCam.h"

#include "res/Templates.h"

namespace kelvane {

void COpenCam::Create(ui::Dialog& mainWindow, const PanelServices&) {
    window_ = windows_.CreateDialog(res::CamDialogTemplate(), *this, &mainWindow);
}

void COpenCam::OpenCamMenu(SlotRecord& module) {
    module_ = &module;
    window_->Show(true);
}

void COpenCam::ClearCamList() {}

void COpenCam::CloseCamMenu() {
    window_->KillTimer(kPollTimer);
    window_->Show(false);
}

}  // namespace kelvane
