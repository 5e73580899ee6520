// The main window's discovery, supervision and firmware upgrade against kxrsim over a real pseudo-terminal.

#include "app/MessageCatalogue.h"
#include "res/ResourceIds.h"
#include "sim/ModuleModels.h"
#include "tests/app/StandInPanels.h"
#include "tests/support/FirmwareFolder.h"
#include "tests/support/ProgramWindow.h"
#include "tests/support/PtyRack.h"
#include "ui/headless/HeadlessWindowSystem.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {
namespace fs = std::filesystem;

using Bytes = std::vector<std::uint8_t>;

sim::RackDescription RackOf(std::vector<sim::ModuleDescription> modules, std::uint8_t controllerVersion = 14) {
    sim::RackDescription rack;
    rack.controllerVersion = controllerVersion;
    rack.modules = std::move(modules);
    return rack;
}

class DiscoveryAgainstSimulator : public ::testing::Test {
protected:
    void SetUp() override { SetLanguageIndex(kEnglish); }

    // The rack on a terminal found by a link of its own in the working directory, and the main window.
    void Start(sim::RackDescription rack, sim::FaultOptions faults = {}) {
        pty_ = std::make_unique<test::PtyRack>(std::move(rack), faults);
        pty_->Start((folder_.Root() / "rack").string());
        main_ = test::OpenMainWindow(windows_, pty_->link, folder_.Root().string(),
                                     std::make_unique<test::StandInModulePanel>(windows_, calls_),
                                     std::make_unique<test::StandInCamMenu>(windows_, calls_));
    }

    // One firmware image, listed in firmware/KXR.FRM of the working directory.
    void OfferFirmware(const std::string& name, std::uint8_t type, std::uint8_t version, const Bytes& image) {
        folder_.Offer(name, type, version, image);
        main_->Firmware().ScanFirmwareFiles(folder_.Root());
    }

    ui::HeadlessDialog& Window() { return *windows_.Find(res::kMainDialog); }
    std::string Label(int row) { return Window().Cell(res::kModuleList, row, 0).text; }
    SlotTable& Slots() { return main_->Slots(); }
    sim::RackSimulator& Rack() { return pty_->simulator; }
    CKelvaneDlg& Main() { return *main_; }
    CXmit& Link() { return pty_->link; }
    ui::HeadlessWindowSystem& Windows() { return windows_; }

    std::size_t BroadcastRestarts() const {
        std::size_t n = 0;
        for (const sim::Request& r : pty_->simulator.RequestLog()) {
            if (r.destination == 0xFF && r.Command() == 0xC0 && r.payload == Bytes{0x03}) ++n;
        }
        return n;
    }

private:
    test::FirmwareFolder folder_;
    SystemClock clock_;
    ui::HeadlessWindowSystem windows_{clock_};
    std::vector<test::PanelCall> calls_;
    std::unique_ptr<test::PtyRack> pty_;
    std::unique_ptr<CKelvaneDlg> main_;
};

TEST_F(DiscoveryAgainstSimulator, RackWithoutModulesShowsOnlyTheController) {
    Start(RackOf({}, 23));
    Main().DiscoverRack();
    EXPECT_EQ(Slots().ModuleCount, 1);
    EXPECT_EQ(Label(0), "KXA100\r\nV2.3");
    EXPECT_EQ(Label(1), "");
    EXPECT_TRUE(Windows().TimerActive(Window(), CKelvaneDlg::kSupervisionTimer));
    EXPECT_TRUE(Window().IsControlEnabled(res::kSaveButton));
}

TEST_F(DiscoveryAgainstSimulator, TwoModulesWithTheirVersions) {
    Start(RackOf({{sim::kKXB200, 5, 23, true, {0x07, 0xD0, 0x6B, 0x6C, 0x10, 0x00}}, {sim::kKXD400, 6, 5, true, {}}}));
    Main().DiscoverRack();
    ASSERT_EQ(Slots().ModuleCount, 3);
    EXPECT_EQ(Label(1), "KXB200\r\nV2.3");
    EXPECT_EQ(Label(2), "KXD400\r\nV0.5");
    EXPECT_TRUE(Windows().closeGuards.empty()) << "no upgrade, no question";
    EXPECT_EQ(Slots()[1].ConfigLength, 6);
    EXPECT_EQ(Slots()[1].SentLength, 6);
    EXPECT_EQ(Window().Cell(res::kModuleList, 0, 0).image, 1);  // the controller's row ends selected
}

TEST_F(DiscoveryAgainstSimulator, ThirteenModulesFillTheListAndTheTable) {
    std::vector<sim::ModuleDescription> modules;
    for (std::uint8_t k = 1; k <= 13; ++k)
        modules.push_back({sim::kKXF600, static_cast<std::uint8_t>(0x20 + k), 20, true, {}});
    Start(RackOf(modules));
    Main().DiscoverRack();
    EXPECT_EQ(Slots().ModuleCount, 14);
    EXPECT_EQ(Label(12), "KXF600\r\nV2.0");
    EXPECT_EQ(Slots()[13].Address, 0x2D);
    EXPECT_EQ(Window().RowCount(res::kModuleList), 13);
}

TEST_F(DiscoveryAgainstSimulator, FailedModuleListLeavesTheControllerAlone) {
    sim::FaultOptions faults;
    faults.refuseModuleList = true;
    Start(RackOf({{sim::kKXB200, 5, 23, true, {}}}), faults);
    Main().DiscoverRack();
    EXPECT_EQ(Slots().ModuleCount, 1);
    EXPECT_EQ(Label(1), "");
    // The failure came from the list request, not from a lost rack: supervision runs normally.
    EXPECT_TRUE(Windows().TimerActive(Window(), CKelvaneDlg::kSupervisionTimer));
    EXPECT_FALSE(Link().LinkLost());
}

TEST_F(DiscoveryAgainstSimulator, InactiveModuleRestartsTheRackAndStops) {
    Start(RackOf({{sim::kKXB200, 5, 23, true, {}}, {sim::kKXD400, 6, 22, false, {}}}));
    Main().DiscoverRack();
    EXPECT_EQ(BroadcastRestarts(), 1u);
    EXPECT_FALSE(Link().PortOpen());
    EXPECT_FALSE(Windows().TimerActive(Window(), CKelvaneDlg::kSupervisionTimer));
    EXPECT_FALSE(Window().IsControlEnabled(res::kUploadButton));
    EXPECT_TRUE(Window().IsControlEnabled(res::kDiscoverButton));
}

TEST_F(DiscoveryAgainstSimulator, UpgradeRestartsTheRackAndASecondPassShowsTheNewVersion) {
    sim::FaultOptions faults;
    faults.restartSilenceMs = 1500;
    Start(RackOf({{sim::kKXB200, 5, 14, true, {}}, {sim::kKXD400, 6, 22, true, {}}}), faults);
    Bytes image(3 * 256, 0x5A);
    std::fill(image.begin() + 256, image.begin() + 512, 0xFF);  // a blank block, never sent
    const char marker[] = {'K', 'X', 'R', 'V', 20};
    std::copy(std::begin(marker), std::end(marker), image.begin() + 16);
    OfferFirmware("KXB200_V20.frm", sim::kKXB200, 20, image);

    Main().DiscoverRack();
    EXPECT_EQ(Rack().VersionOf(5), 20);
    EXPECT_EQ(Rack().FirmwareOf(5), image);
    EXPECT_EQ(Rack().FirmwareBlocks(5), 2u);
    EXPECT_EQ(BroadcastRestarts(), 1u);  // the second pass checks no firmware
    // The close box asked first from the upgrade until the rack was back, and the window had its turns.
    EXPECT_EQ(Windows().closeGuards, (std::vector<std::string>{MessageText(kCloseDuringFirmwareMessage), ""}));
    EXPECT_GT(Windows().LinkWaits(), 0);
    EXPECT_EQ(Label(1), "KXB200\r\nV2.0");
    EXPECT_EQ(Label(2), "KXD400\r\nV2.2");
    EXPECT_TRUE(Windows().TimerActive(Window(), CKelvaneDlg::kSupervisionTimer));
    EXPECT_TRUE(Window().IsControlEnabled(res::kSaveButton));
}

TEST_F(DiscoveryAgainstSimulator, LineThatHangsUpDuringAnUpgradeIsSearchedForAsALostLink) {
    sim::FaultOptions faults;
    faults.hangUpAt.afterRequests = 13;  // the fifth block: search, list, identities and configurations first
    faults.restartSilenceMs = 300;
    Start(RackOf({{sim::kKXB200, 5, 14, true, {}}}), faults);
    OfferFirmware("KXB200_V20.frm", sim::kKXB200, 20, test::MarkedImage(8 * 256, 20));

    // No restart can go on a line that is gone, and none is waited for.
    Main().DiscoverRack();
    EXPECT_EQ(Rack().HangUps(), 1u);
    EXPECT_EQ(BroadcastRestarts(), 0u);
    EXPECT_EQ(Main().Info().Text(), MessageText(kLinkLostSearchingMessage));
    EXPECT_TRUE(Windows().TimerActive(Window(), CKelvaneDlg::kRelinkTimer));
    EXPECT_TRUE(Window().IsControlEnabled(res::kDiscoverButton));

    // The cable back, the next search finds the rack and the upgrade is made whole.
    std::string error;
    ASSERT_TRUE(Rack().ReopenTerminal(error)) << error;
    Windows().RunFor(1000);
    EXPECT_EQ(Rack().VersionOf(5), 20);
    EXPECT_EQ(Label(1), "KXB200\r\nV2.0");
    EXPECT_TRUE(Windows().TimerActive(Window(), CKelvaneDlg::kSupervisionTimer));
}

TEST_F(DiscoveryAgainstSimulator, LostLinkIsRediscoveredWithinOneSupervisionTick) {
    Start(RackOf({{sim::kKXB200, 5, 23, true, {}}, {sim::kKXD400, 6, 22, true, {}}}));
    Main().DiscoverRack();
    ASSERT_EQ(Slots().ModuleCount, 3);

    // The rack falls silent while a panel polls it: the poll fails all its tries and the link is lost.
    Rack().SetSilent(true);
    EXPECT_FALSE(Link().XmitRequest({}, 5, 0x40, 10));
    EXPECT_TRUE(Link().LinkLost());
    Rack().SetSilent(false);
    const std::size_t before = Rack().RequestCount();
    Windows().RunFor(100);
    EXPECT_GT(Rack().RequestCount(), before);  // discovery talked to the rack again
    EXPECT_EQ(Slots().ModuleCount, 3);
    EXPECT_TRUE(Windows().TimerActive(Window(), CKelvaneDlg::kSupervisionTimer));
    EXPECT_FALSE(Link().LinkLost());
}

TEST_F(DiscoveryAgainstSimulator, PulledCableIsFoundAgainOnceItIsBack) {
    Start(RackOf({{sim::kKXB200, 5, 23, true, {}}}));
    Main().DiscoverRack();
    Rack().CloseTerminal();
    EXPECT_FALSE(Link().XmitRequest({}, 5, 0x40, 10));
    Windows().RunFor(100);  // the rediscovery finds nothing
    EXPECT_FALSE(Link().PortOpen());
    EXPECT_FALSE(Windows().TimerActive(Window(), CKelvaneDlg::kSupervisionTimer));

    std::string error;
    ASSERT_TRUE(Rack().ReopenTerminal(error)) << error;
    Window().Click(res::kDiscoverButton);
    EXPECT_TRUE(Link().PortOpen());
    EXPECT_EQ(Slots().ModuleCount, 2);
    EXPECT_TRUE(Windows().TimerActive(Window(), CKelvaneDlg::kSupervisionTimer));
}

}  // namespace
}  // namespace kelvane
