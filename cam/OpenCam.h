#pragma once

#include "app/PanelInterfaces.h"
#include "ui/WindowSystem.h"

#include <memory>

namespace kelvane {

// The CAM menu of a common-interface module. Its window exists from the start, hidden.
class COpenCam final : public CamMenu, public ui::DialogHandler {
public:
    static constexpr int kPollTimer = 1;

    explicit COpenCam(ui::WindowSystem& windows) : windows_(windows) {}

    void Create(ui::Dialog& mainWindow, const PanelServices& services) override;
    ui::Dialog& Window() override { return *window_; }
    void OpenCamMenu(SlotRecord& module) override;
    void ClearCamList() override;
    void CloseCamMenu() override;

    SlotRecord* CamModule() const { return module_; }

private:
    ui::WindowSystem& windows_;
    std::unique_ptr<ui::Dialog> window_;
    SlotRecord* module_ = nullptr;
};

}  // namespace kelvane
