#include "panel/SatCofdm.h"

#include "res/Templates.h"

#include <algorithm>

namespace kelvane {
namespace {
constexpr int kMaxCamCount = 4;
}

void CSatCofdm::Create(ui::Dialog& mainWindow, const PanelServices&) {
    window_ = windows_.CreateDialog(res::ModulePanelTemplate(), *this, &mainWindow);
}

void CSatCofdm::LoadPanel(int camCount, SlotRecord& input, SlotRecord* output) {
    input_ = &input;
    output_ = output;
    camCount_ = std::min(camCount, kMaxCamCount);
    window_->Show(true);
}

void CSatCofdm::HidePanel() { window_->Show(false); }

}  // namespace kelvane
