#pragma once

#include "res/ResourceIds.h"
#include "tests/cam/CamRig.h"
#include "tests/cam/MmiBytes.h"
#include "ui/headless/HeadlessWindowSystem.h"

#include <gtest/gtest.h>

namespace kelvane::test {

// The CAM menu in a headless main window, polling a fake CI module over the link, on the virtual clock.
class CamPanelFixture : public ::testing::Test, protected CamRig<ui::HeadlessWindowSystem> {
protected:
    void SetUp() override { Build(); }

    void Open() { cam.OpenCamMenu(slotTable[2]); }

    // Opens the panel on a ready CAM and lets it ask for, and receive, `screen` (transport bytes).
    void OpenOnScreen(const mmi::Bytes& screen) {
        Open();
        ASSERT_TRUE(RunUntil([&] { return !module.sent.empty(); }, 3000));
        Deliver(screen);
    }

    // The CAM's bytes arrive with the next read; the panel takes them within a tick or two.
    void Deliver(const mmi::Bytes& transport) {
        module.mmiData.push_back(mmi::Reply(transport));
        windows.RunFor(50);
    }

    // Runs the panel until `done` or `limitMs` pass; whether `done` came true.
    template <typename Condition>
    bool RunUntil(Condition done, std::uint64_t limitMs) {
        for (std::uint64_t waited = 0; waited < limitMs; waited += 10) {
            if (done()) return true;
            windows.RunFor(10);
        }
        return done();
    }

    // Runs the panel for `ms`; how many packets it sent the CAM meanwhile.
    std::size_t SentDuring(std::uint64_t ms) {
        const std::size_t before = module.sent.size();
        windows.RunFor(ms);
        return module.sent.size() - before;
    }

    ui::HeadlessDialog& Panel() { return *windows.Find(res::kCamDialog); }
    std::vector<std::string> Entries() { return Panel().ControlState(res::kCamList).items; }
    int Light() { return Panel().ControlState(res::kCamLampPicture).bitmap; }
    const std::string& Message() { return info.Text(); }
    std::optional<std::uint64_t> MessageExpiresIn() {
        const auto due = windows.TimerDue(info.Window(), CInfo::kExpiryTimer);
        if (!due) return std::nullopt;
        return *due - clock.TickCount();
    }
    std::time_t Now() const { return clock.SystemSeconds(); }
    mmi::Bytes LastSent() const { return module.sent.empty() ? mmi::Bytes{} : module.sent.back().packet; }

    static mmi::Bytes MainMenu() {
        return mmi::Tpdu(mmi::Mmi({mmi::Menu("Module CA", "Menu principal", "Choisissez",
                                             {"Informations", "Droits", "Contr\xF4le parental"})}));
    }
};

}  // namespace kelvane::test
