#pragma once

#include "app/KelvaneDlg.h"
#include "cam/OpenCam.h"
#include "panel/SatCofdm.h"
#include "res/ResourceIds.h"
#include "sim/DefaultRack.h"
#include "tests/support/EnginePort.h"
#include "ui/headless/HeadlessWindowSystem.h"

#include <memory>
#include <string>

namespace kelvane::test {

// The program's main window as the program builds it, on `windows` and lent `link`, with its start timer
// stopped: each test starts discovery itself, when it is ready for it.
inline std::unique_ptr<CKelvaneDlg> OpenMainWindow(ui::WindowSystem& windows, CXmit& link, const std::string& folder,
                                                   std::unique_ptr<ModulePanel> panel, std::unique_ptr<CamMenu> cam) {
    auto main = std::make_unique<CKelvaneDlg>(windows, link, folder, std::move(panel), std::move(cam));
    main->Create();
    main->Window().KillTimer(CKelvaneDlg::kStartTimer);
    return main;
}

// The same with the program's own module panel and CAM menu.
inline std::unique_ptr<CKelvaneDlg> OpenMainWindow(ui::WindowSystem& windows, CXmit& link,
                                                   const std::string& folder = "/nonexistent") {
    return OpenMainWindow(windows, link, folder, std::make_unique<CSatCofdm>(windows),
                          std::make_unique<COpenCam>(windows));
}

// The whole program on the simulator's engine and a virtual clock: the main window with the program's own
// panels, the rack discovered. A fixture holds it after its window system, which must outlive the window.
struct ProgramOnEngine {
    // `shown` shows the window before discovery, as the program does on a real window system.
    void Open(ui::WindowSystem& windows, VirtualClock& clock,
              const sim::RackDescription& description = sim::DefaultRack(), bool shown = false) {
        main.reset();  // the window of an earlier start lets go of the link it was lent before the link goes
        rack = std::make_unique<EngineRack>(description, clock);
        main = OpenMainWindow(windows, rack->link);
        satCofdm = &dynamic_cast<CSatCofdm&>(main->Panel());
        if (shown) main->Window().Show(true);
        main->DiscoverRack();
    }

    std::unique_ptr<EngineRack> rack;
    std::unique_ptr<CKelvaneDlg> main;
    CSatCofdm* satCofdm = nullptr;
};

// The same on the headless window system, which shares the engine's virtual clock.
struct HeadlessProgram {
    void Start(const sim::RackDescription& rack = sim::DefaultRack()) {
        program.Open(windows, clock, rack);
        mainWindow = windows.Find(res::kMainDialog);
        panelWindow = windows.Find(res::kModulePanelDialog);
    }

    VirtualClock clock;
    ui::HeadlessWindowSystem windows{clock};
    ProgramOnEngine program;
    ui::HeadlessDialog* mainWindow = nullptr;
    ui::HeadlessDialog* panelWindow = nullptr;
};

}  // namespace kelvane::test
