#pragma once

#include "app/PanelInterfaces.h"
#include "ui/WindowSystem.h"

#include <memory>

namespace kelvane {

// The module panel of an input/output pair. Its window exists from the start, hidden; it is shown with the
// pair the operator selected.
class CSatCofdm final : public ModulePanel, public ui::DialogHandler {
public:
    explicit CSatCofdm(ui::WindowSystem& windows) : windows_(windows) {}

    void Create(ui::Dialog& mainWindow, const PanelServices& services) override;
    ui::Dialog& Window() override { return *window_; }
    void LoadPanel(int camCount, SlotRecord& input, SlotRecord* output) override;
    void HidePanel() override;

    SlotRecord* InputModule() const { return input_; }
    SlotRecord* OutputModule() const { return output_; }
    int CamCount() const { return camCount_; }

private:
    ui::WindowSystem& windows_;
    std::unique_ptr<ui::Dialog> window_;
    SlotRecord* input_ = nullptr;
    SlotRecord* output_ = nullptr;
    int camCount_ = 0;
};

}  // namespace kelvane
