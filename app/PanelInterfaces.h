#pragma once

#include "app/SlotTable.h"
#include "ui/WindowSystem.h"

#include <functional>
#include <string>

namespace kelvane {

class CInfo;
class CXmit;

// What the main window lends its panels: the link, the message area and the slot table they work on.
struct PanelServices {
    ui::WindowSystem& windows;
    CXmit& link;
    CInfo& info;
    SlotTable& slots;
    // Told what a write to the rack sent and when, as the message area says it: the status bar keeps it.
    std::function<void(const std::string&)> sent = {};
    // Closes the panel, as Escape on a panel with nothing of its own to undo does.
    std::function<void()> closePanel = [] {};
};

// The module panel as the main window sees it: created once, hidden, then loaded with a module pair and
// hidden again as the operator moves between rows.
class ModulePanel {
public:
    virtual ~ModulePanel() = default;
    // Builds the panel's window inside the main window, hidden, and initialises it.
    virtual void Create(ui::Dialog& mainWindow, const PanelServices& services) = 0;
    virtual ui::Dialog& Window() = 0;
    // Shows the pair: an input, the output that follows it (or none) and the CI modules counted between them.
    virtual void LoadPanel(int camCount, SlotRecord& input, SlotRecord* output) = 0;
    // Sends what the operator changed, stops polling and hides the panel.
    virtual void HidePanel() = 0;
    // Opens the signal history of the pair on show.
    virtual void OpenHistory() = 0;
};

// The CAM menu of a common-interface module, as the main window sees it.
class CamMenu {
public:
    virtual ~CamMenu() = default;
    virtual void Create(ui::Dialog& mainWindow, const PanelServices& services) = 0;
    virtual ui::Dialog& Window() = 0;
    virtual void OpenCamMenu(SlotRecord& module) = 0;
    virtual void ClearCamList() = 0;
    // Stops polling the module and hides the menu.
    virtual void CloseCamMenu() = 0;
};

}  // namespace kelvane
