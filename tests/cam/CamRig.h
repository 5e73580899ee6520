#pragma once

#include "app/MessageCatalogue.h"
#include "cam/OpenCam.h"
#include "link/Xmit.h"
#include "platform/VirtualClock.h"
#include "res/Templates.h"
#include "tests/cam/FakeCiModule.h"
#include "widgets/Info.h"

#include <gtest/gtest.h>

#include <memory>

namespace kelvane::test {

// The CAM menu in a main window of `WindowSystem`, polling a fake CI module over the link, on the virtual clock.
// The CAM is the slot table's third module, at bus address 2.
template <typename WindowSystem>
struct CamRig {
    static constexpr std::uint8_t kAddress = 2;

    void Build() {
        SetLanguageIndex(kEnglish);
        ASSERT_TRUE(link.FindPort());
        main = windows.CreateDialog(res::MainDialogTemplate(), mainHandler, nullptr);
        info.Create(*main);
        cam.Create(*main, PanelServices{windows, link, info, slotTable});
        slotTable[2].Type = 3;
        slotTable[2].Address = kAddress;
    }

    VirtualClock clock;
    WindowSystem windows{clock};
    FakeCiModule module{clock};
    CXmit link{module, clock};
    ui::DialogHandler mainHandler;
    std::unique_ptr<ui::Dialog> main;
    CInfo info{windows};
    SlotTable slotTable;  // not "slots", which Qt takes for itself
    COpenCam cam{windows};
};

}  // namespace kelvane::test
