#pragma once

#include "app/SlotTable.h"
#include "ui/Dialog.h"

namespace kelvane {

// The module panel as the main window sees it: created once, hidden, then loaded with a module pair and
// hidden again as the operator moves between rows.
class ModulePanel {
public:
    virtual ~ModulePanel() = default;
    // Builds the panel's window inside the main window, hidden, and initialises it.
    virtual void Create(ui::Dialog& mainWindow) = 0;
    virtual ui::Dialog& Window() = 0;
    // Shows the pair: an input, the output that follows it (or none) and the CI modules counted between them.
    virtual void LoadPanel(int camCount, SlotRecord& input, SlotRecord* output) = 0;
    // Sends what the operator changed, stops polling and hides the panel.
    virtual void HidePanel() = 0;
};

// The CAM menu of a common-interface module, as the main window sees it.
class CamMenu {
public:
    virtual ~CamMenu() = default;
    virtual void Create(ui::Dialog& mainWindow) = 0;
    virtual ui::Dialog& Window() = 0;
    virtual void OpenCamMenu(SlotRecord& module) = 0;
    virtual void ClearCamList() = 0;
    // Stops polling the module and hides the menu.
    virtual void CloseCamMenu() = 0;
};

}  // namespace kelvane
