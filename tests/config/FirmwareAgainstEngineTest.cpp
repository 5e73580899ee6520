// Firmware upgrades by the window and by kelvane-cli against the simulator's rack engine, on the virtual clock:
// what happens after the rack's restart, when a module does not run the image it accepted.

#include "app/MessageCatalogue.h"
#include "config/FirmwareUpdate.h"
#include "res/ResourceIds.h"
#include "sim/FirmwareStore.h"
#include "sim/ModuleModels.h"
#include "tests/app/StandInPanels.h"
#include "tests/support/CliRun.h"
#include "tests/support/FirmwareFolder.h"
#include "tests/support/ProgramWindow.h"
#include "ui/headless/HeadlessWindowSystem.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kOutputAddress = 7;

// KXD410 in row 3 at V2.1.
sim::RackDescription ThreeModules() {
    sim::RackDescription rack;
    rack.controllerVersion = 14;
    rack.modules = {
        {sim::kKXB210, 5, 14, true, {}}, {sim::kKXF600, 6, 20, true, {}}, {sim::kKXD410, kOutputAddress, 21, true, {}}};
    return rack;
}

class FirmwareAgainstEngine : public ::testing::Test {
protected:
    void SetUp() override { SetLanguageIndex(kEnglish); }

    void OpenWindow() {
        main = test::OpenMainWindow(windows, rack.link, folder.Root().string(),
                                    std::make_unique<test::StandInModulePanel>(windows, calls),
                                    std::make_unique<test::StandInCamMenu>(windows, calls));
        main->Firmware().ScanFirmwareFiles(folder.Root());
    }

    // Firmware requests of one step (its only payload byte) to `address`.
    std::size_t FirmwareRequests(std::uint8_t address, std::uint8_t step) const {
        std::size_t n = 0;
        for (const sim::Request& r : rack.engine.RequestLog()) {
            if (r.destination == address && r.Command() == kFirmwareCommand && r.payload == Bytes{step}) ++n;
        }
        return n;
    }
    std::size_t Starts() const { return FirmwareRequests(kOutputAddress, 0x00); }
    std::size_t Writes() const { return FirmwareRequests(kOutputAddress, 0x02); }
    std::size_t RackRestarts() const { return FirmwareRequests(0xFF, 0x03); }

    // A poll that gets no answer, as when the cable is out for a moment: the supervision searches again.
    void LoseTheLinkOnce() {
        rack.ports.filter = [](const sim::Request&, sim::Reply) { return std::optional<sim::Reply>(); };
        EXPECT_FALSE(rack.link.XmitRequest({}, kOutputAddress, 0x40, 10));
        rack.ports.filter = nullptr;
        windows.RunFor(100);
    }

    test::CliRun Upgrade() {
        return test::RunCliIn(rack.link, rack.ports, clock, folder.Root(), {"firmware", "upgrade"});
    }

    test::FirmwareFolder folder;
    VirtualClock clock;
    ui::HeadlessWindowSystem windows{clock};
    test::EngineRack rack{ThreeModules(), clock};
    std::vector<test::PanelCall> calls;
    std::unique_ptr<CKelvaneDlg> main;
};

// An image the module does not run after the restart: mislabelled (it goes up by one only), or one block
// larger than its memory (refused, it keeps its version).
struct NotRun {
    const char* what;
    std::size_t length;
    const char* message;
    friend void PrintTo(const NotRun& image, std::ostream* out) { *out << image.what; }
};

class ImageNotRun : public FirmwareAgainstEngine, public ::testing::WithParamInterface<NotRun> {};

INSTANTIATE_TEST_SUITE_P(Images, ImageNotRun,
                         ::testing::Values(NotRun{"mislabelled", 512,
                                                  "KXD410, row 3, reports V2.2 after an upgrade to V3.0"},
                                           NotRun{"refused", sim::FirmwareStore::kCapacity + 256,
                                                  "KXD410, row 3, reports V2.1 after an upgrade to V3.0"}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST_P(ImageNotRun, IsNamedAfterTheRestartAndNeverFlashedAgain) {
    folder.Offer("KXD410_V30.frm", sim::kKXD410, 30, test::MarkedImage(GetParam().length, std::nullopt));
    OpenWindow();
    main->DiscoverRack();
    EXPECT_EQ(Starts(), 1u);
    EXPECT_EQ(RackRestarts(), 1u);
    EXPECT_EQ(main->Info().Text(), GetParam().message);
    EXPECT_EQ(windows.beeps.empty() ? 0u : windows.beeps.back().frequencyHz, 220u);

    // Neither the search button nor the recovery after a lost link flashes it or restarts the rack again.
    windows.Find(res::kMainDialog)->Click(res::kDiscoverButton);
    EXPECT_EQ(Starts(), 1u);
    LoseTheLinkOnce();
    EXPECT_EQ(Starts(), 1u);
    EXPECT_EQ(RackRestarts(), 1u);
    EXPECT_TRUE(windows.TimerActive(main->Window(), CKelvaneDlg::kSupervisionTimer));

    // Another image for the same module is still given to it, and one that takes is not reported.
    folder.Offer("KXD410_V31.frm", sim::kKXD410, 31, test::MarkedImage(512, 31));
    main->Firmware().ScanFirmwareFiles(folder.Root());
    main->DiscoverRack();
    EXPECT_EQ(Starts(), 2u);
    EXPECT_EQ(main->Slots()[3].Version, 31);
    EXPECT_EQ(main->Info().Text().find("reports"), std::string::npos) << main->Info().Text();
}

TEST_F(FirmwareAgainstEngine, CliExitsFourNamingTheModuleWhoseVersionDidNotTake) {
    folder.Offer("KXD410_V30.frm", sim::kKXD410, 30, test::MarkedImage(512, std::nullopt));
    const test::CliRun run = Upgrade();
    EXPECT_EQ(run.status, kCliIncomplete);
    EXPECT_NE(run.err.find("kelvane-cli: the upgrade of row 3 (KXD410, address 7) did not take: the module reports "
                           "V2.2 after an upgrade to V3.0\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(Writes(), 1u);
}

}  // namespace
}  // namespace kelvane
