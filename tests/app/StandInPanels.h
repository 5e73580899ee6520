#pragma once

#include "app/PanelInterfaces.h"
#include "res/Templates.h"
#include "ui/WindowSystem.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvane::test {

// Panels that only write down what the main window asked of them.
struct PanelCall {
    std::string what;
    int camCount = -1;
    const SlotRecord* first = nullptr;
    const SlotRecord* second = nullptr;
    bool operator==(const PanelCall&) const = default;
};

class StandInModulePanel final : public ModulePanel, public ui::DialogHandler {
public:
    StandInModulePanel(ui::WindowSystem& windows, std::vector<PanelCall>& calls) : windows_(windows), calls_(calls) {}
    void Create(ui::Dialog& main, const PanelServices& lent) override {
        window_ = windows_.CreateDialog(res::ModulePanelTemplate(), *this, &main);
        services.emplace(lent);
    }
    ui::Dialog& Window() override { return *window_; }
    void LoadPanel(int camCount, SlotRecord& input, SlotRecord* output) override {
        calls_.push_back({"load", camCount, &input, output});
        window_->Show(true);
    }
    void HidePanel() override {
        calls_.push_back({"hide"});
        window_->Show(false);
    }
    void OpenHistory() override { calls_.push_back({"history"}); }
    std::optional<PanelServices> services;  // what the main window lent

private:
    ui::WindowSystem& windows_;
    std::vector<PanelCall>& calls_;
    std::unique_ptr<ui::Dialog> window_;
};

class StandInCamMenu final : public CamMenu, public ui::DialogHandler {
public:
    StandInCamMenu(ui::WindowSystem& windows, std::vector<PanelCall>& calls) : windows_(windows), calls_(calls) {}
    void Create(ui::Dialog& main, const PanelServices&) override {
        window_ = windows_.CreateDialog(res::CamDialogTemplate(), *this, &main);
    }
    ui::Dialog& Window() override { return *window_; }
    void OpenCamMenu(SlotRecord& module) override {
        calls_.push_back({"open cam", -1, &module});
        window_->Show(true);
    }
    void ClearCamList() override { calls_.push_back({"clear cam"}); }
    void CloseCamMenu() override {
        calls_.push_back({"close cam"});
        window_->Show(false);
    }

private:
    ui::WindowSystem& windows_;
    std::vector<PanelCall>& calls_;
    std::unique_ptr<ui::Dialog> window_;
};

}  // namespace kelvane::test
