// Which panel a click on the module list opens, and with which modules.

#include "app/KelvaneDlg.h"
#include "app/MessageCatalogue.h"
#include "app/ModuleTypes.h"
#include "res/ResourceIds.h"

namespace kelvane {
namespace {

constexpr int kNeedsInputMessage = 33;
constexpr std::uint32_t kClearShowMs = 100;
constexpr std::uint32_t kNeedsInputShowMs = 2000;

}  // namespace

void CKelvaneDlg::SelectSlot(int index) {
    if (index == currentSlot_) {
        window_->RepaintNow();
        return;
    }
    currentSlot_ = index;
    modulePanel_->HidePanel();
    info_.ShowInfo("", false, kClearShowMs);
    camMenu_->ClearCamList();
    camMenu_->CloseCamMenu();
    PlacePanel(nullptr);
    for (int row = 0; row < slots_.ModuleCount && row < kListRows; ++row) SetRowImage(row, ImageOf(slots_[row].Type));

    if (index >= 0 && index < slots_.ModuleCount) {
        const std::uint8_t type = slots_[index].Type;
        switch (RoleOf(type)) {
        case ModuleRole::Controller:
            SetRowImage(index, ImageOf(type) + 1);
            break;
        case ModuleRole::CommonInterface:
            SetRowImage(index, ImageOf(type) + 1);
            PlacePanel(&camMenu_->Window());
            camMenu_->OpenCamMenu(slots_[index]);
            break;
        case ModuleRole::Input:
            SelectInput(index);
            break;
        case ModuleRole::Output:
            SelectOutput(index);
            break;
        case ModuleRole::Unknown:
            break;
        }
    }
    window_->RepaintNow();
}

// The output that serves an input is the first output after it, past any CI modules; anything else in
// between means the input has no output. Only rows that discovery filled are looked at.
void CKelvaneDlg::SelectInput(int row) {
    int camCount = 0;
    const int lastRow = std::min<int>(slots_.ModuleCount, kListRows) - 1;
    for (int next = row + 1; next <= lastRow; ++next) {
        const ModuleRole role = RoleOf(slots_[next].Type);
        if (role == ModuleRole::Output) {
            ShowPair(row, next, camCount);
            return;
        }
        if (role != ModuleRole::CommonInterface) break;
        ++camCount;
    }
    ShowPair(row, -1, camCount);
}

// Several outputs can follow one input: walking back, other outputs are passed over and CI modules counted.
void CKelvaneDlg::SelectOutput(int row) {
    int camCount = 0;
    for (int previous = row - 1; previous >= 1; --previous) {
        const ModuleRole role = RoleOf(slots_[previous].Type);
        if (role == ModuleRole::Input) {
            ShowPair(previous, row, camCount);
            return;
        }
        if (role == ModuleRole::CommonInterface) {
            ++camCount;
        } else if (role != ModuleRole::Output) {
            break;
        }
    }
    info_.ShowInfo(MessageText(kNeedsInputMessage), false, kNeedsInputShowMs);
}

void CKelvaneDlg::ShowPair(int inputRow, int outputRow, int camCount) {
    SetRowImage(inputRow, ImageOf(slots_[inputRow].Type) + 1);
    if (outputRow >= 0) SetRowImage(outputRow, ImageOf(slots_[outputRow].Type) + 1);
    PlacePanel(&modulePanel_->Window());
    modulePanel_->LoadPanel(camCount, slots_[inputRow], outputRow >= 0 ? &slots_[outputRow] : nullptr);
}

}  // namespace kelvane
