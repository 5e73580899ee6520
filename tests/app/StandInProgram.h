#pragma once

#include "app/KelvaneDlg.h"
#include "link/Xmit.h"
#include "res/ResourceIds.h"
#include "tests/app/StandInPanels.h"
#include "tests/support/ScriptedPort.h"
#include "ui/headless/HeadlessWindowSystem.h"

#include <memory>
#include <string>
#include <vector>

namespace kelvane::test {

// The main window on the headless window system and the virtual clock, with the stand-in panels and a scripted
// line: the window's own work, without a rack. Its start timer runs, as in the program.
struct StandInProgram {
    // A window of its own for the application folder `folder`; an earlier one goes first.
    void Open(const std::string& folder = "/nonexistent") {
        main.reset();
        main =
            std::make_unique<CKelvaneDlg>(windows, link, folder, std::make_unique<StandInModulePanel>(windows, calls),
                                          std::make_unique<StandInCamMenu>(windows, calls));
        main->Create();
        window = windows.Find(res::kMainDialog);
    }

    VirtualClock clock;
    ui::HeadlessWindowSystem windows{clock};
    ScriptedPortOpener ports{clock};
    CXmit link{ports, clock};
    std::vector<PanelCall> calls;
    std::unique_ptr<CKelvaneDlg> main;
    ui::HeadlessDialog* window = nullptr;
};

}  // namespace kelvane::test
