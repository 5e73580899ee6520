// Which panel a click on the module list opens, and with which modules.

#include "app/KelvaneDlg.h"
#include "app/MessageCatalogue.h"
#include "app/ModulePairs.h"
#include "app/ModuleTypes.h"
#include "res/ResourceIds.h"

namespace kelvane {

constexpr std::uint32_t kNeedsInputShowMs = 2000;

void CKelvaneDlg::SelectSlot(int index) {
    if (index == currentSlot_) {
        window_->RepaintNow();
        return;
    }
    currentSlot_ = index;
    modulePanel_->HidePanel();
    info_.Clear();
    camMenu_->ClearCamList();
    camMenu_->CloseCamMenu();
    PlacePanel(nullptr);
    for (int row = 0; row < slots_.ModuleCount && row < kListRows; ++row) SetRowImage(row, ImageOf(slots_[row].Type));

    if (index >= 0 && index < slots_.ModuleCount) {
        const std::uint8_t type = slots_[index].Type;
        switch (RoleOf(type)) {
        case ModuleRole::Controller: SetRowImage(index, ImageOf(type) + 1); break;
        case ModuleRole::CommonInterface:
            SetRowImage(index, ImageOf(type) + 1);
            PlacePanel(&camMenu_->Window());
            camMenu_->OpenCamMenu(slots_[index]);
            break;
        case ModuleRole::Input:
        case ModuleRole::Output: SelectPairOf(index); break;
        case ModuleRole::Unknown: break;
        }
    }
    window_->RepaintNow();
}

// Only rows that discovery filled, and that the list shows, are looked at for the pair.
void CKelvaneDlg::SelectPairOf(int row) {
    const std::optional<ModulePair> pair = FindModulePair(slots_, row, kListRows);
    if (!pair) {
        info_.ShowInfo(MessageText(kNeedsInputAndOutputMessage), false, kNeedsInputShowMs);
        return;
    }
    ShowPair(pair->inputRow, pair->outputRow, pair->camCount);
}

void CKelvaneDlg::ShowPair(int inputRow, int outputRow, int camCount) {
    SetRowImage(inputRow, ImageOf(slots_[inputRow].Type) + 1);
    if (outputRow >= 0) SetRowImage(outputRow, ImageOf(slots_[outputRow].Type) + 1);
    // The marked rows are brought into view: the output last, then the input, which matters most.
    if (outputRow >= 0 && outputRow < kListRows) window_->ScrollToRow(res::kModuleList, outputRow);
    window_->ScrollToRow(res::kModuleList, inputRow);
    PlacePanel(&modulePanel_->Window());
    modulePanel_->LoadPanel(camCount, slots_[inputRow], outputRow >= 0 ? &slots_[outputRow] : nullptr);
}

}  // namespace kelvane
