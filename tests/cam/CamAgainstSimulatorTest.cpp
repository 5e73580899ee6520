// The CAM menu in the main window and kelvane-cli cam, against kxrsim's CAM over a real pseudo-terminal.

#include "app/MessageCatalogue.h"
#include "res/ResourceIds.h"
#include "tests/app/StandInPanels.h"
#include "tests/support/DefaultRackRows.h"
#include "tests/support/ProgramWindow.h"
#include "tests/support/PtyRack.h"
#include "ui/headless/HeadlessWindowSystem.h"

#include <gtest/gtest.h>

#include <functional>

namespace kelvane {
namespace {

using Lines = std::vector<std::string>;

using test::rack::kCam;
constexpr std::uint64_t kGenerousMs = 10000;

const Lines kMainMenu{"KryptaVision - Module CA",
                      "Menu principal",
                      "",
                      "Informations sur le module",
                      "Droits d'acc\xC3\xA8s",
                      "Contr\xC3\xB4le parental",
                      "R\xC3\xA9glages",
                      "",
                      "Choisissez une rubrique et validez par OK"};

class CamAgainstSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        SetLanguageIndex(kEnglish);
        pty_.Start();
    }

    // The main window with the real CAM menu, the rack discovered.
    void StartProgram() {
        main_ =
            test::OpenMainWindow(windows_, pty_.link, ".", std::make_unique<test::StandInModulePanel>(windows_, calls_),
                                 std::make_unique<COpenCam>(windows_));
        main_->DiscoverRack();
        ASSERT_EQ(main_->Slots()[kCam].Type, 3);
    }

    bool RunUntil(const std::function<bool()>& done) {
        for (std::uint64_t waited = 0; waited < kGenerousMs; waited += 20) {
            if (done()) return true;
            windows_.RunFor(20);
        }
        return done();
    }

    ui::HeadlessDialog& Panel() { return *windows_.Find(res::kCamDialog); }
    Lines Entries() { return Panel().ControlState(res::kCamList).items; }
    bool Showing(const std::string& first) { return !Entries().empty() && Entries()[0] == first; }

    test::CliRun Cli(const std::vector<std::string>& args) { return pty_.Cli(args, "."); }

    CKelvaneDlg& Main() { return *main_; }

    test::PtyRack pty_;
    sim::RackSimulator& simulator_ = pty_.simulator;
    ui::HeadlessWindowSystem windows_{pty_.clock};
    std::vector<test::PanelCall> calls_;
    std::unique_ptr<CKelvaneDlg> main_;
};

TEST_F(CamAgainstSimulator, PanelReachesASubMenuAnswersThePinAndGoesBack) {
    StartProgram();
    Main().SelectSlot(kCam);
    ASSERT_TRUE(RunUntil([&] { return Entries() == kMainMenu; }));
    EXPECT_EQ(Panel().ControlState(res::kCamLampPicture).bitmap, res::kGreenLampBitmap);

    Panel().DoubleClick(res::kCamList, 6);  // Réglages
    ASSERT_TRUE(RunUntil([&] { return Showing("R\xC3\xA9glages"); }));
    EXPECT_EQ(Entries()[3], "Langue des menus");

    Panel().PressEscape();
    ASSERT_TRUE(RunUntil([&] { return Entries() == kMainMenu; }));

    Panel().DoubleClick(res::kCamList, 5);  // Contrôle parental, behind the PIN
    ASSERT_TRUE(RunUntil([&] { return Panel().IsControlShown(res::kCamAnswerEdit); }));
    EXPECT_EQ(Entries(), Lines{"Code PIN de la carte (4 chiffres) :"});
    EXPECT_TRUE(Panel().ControlState(res::kCamAnswerEdit).password);
    EXPECT_EQ(Panel().ControlState(res::kCamAnswerEdit).textLimit, 4);
    Panel().Type(res::kCamAnswerEdit, "1234");
    Panel().PressEnter();
    ASSERT_TRUE(RunUntil([&] { return Showing("Contr\xC3\xB4le parental"); }));
    EXPECT_EQ(Entries()[1],
              "Niveau actuel : D\xC3\xA9"
              "conseill\xC3\xA9 aux moins de 12 ans");

    Panel().PressEscape();
    ASSERT_TRUE(RunUntil([&] { return Entries() == kMainMenu; }));
}

TEST_F(CamAgainstSimulator, PanelFollowsTheCamBeingPulledAndAListGoingBack) {
    StartProgram();
    Main().SelectSlot(kCam);
    ASSERT_TRUE(RunUntil([&] { return Entries() == kMainMenu; }));
    Panel().DoubleClick(res::kCamList, 4);  // Droits d'accès: a list
    ASSERT_TRUE(RunUntil([&] { return Showing("Droits d'acc\xC3\xA8s"); }));
    Panel().DoubleClick(res::kCamList, 3);
    ASSERT_TRUE(RunUntil([&] { return Entries() == kMainMenu; }));

    ASSERT_TRUE(simulator_.SetCamPresent(kCam, false));
    ASSERT_TRUE(RunUntil([&] { return Entries().empty(); }));
    EXPECT_EQ(Panel().ControlState(res::kCamLampPicture).bitmap, res::kRedLampBitmap);
}

TEST_F(CamAgainstSimulator, CliWalksTheMenusAndAnswersThePin) {
    const test::CliRun run = Cli({"cam", "2", "2", "0", "4", "1", "0", "0", "3", "--answer", "1234", "2"});
    ASSERT_EQ(run.status, kCliOk) << run.err;
    const std::string& out = run.out;
    EXPECT_NE(out.find("[menu]\nKryptaVision - Module CA\nMenu principal\n  1. Informations sur le module\n"),
              std::string::npos);
    EXPECT_NE(out.find("> choice 2\n[list]\nDroits d'acc\xC3\xA8s\nCarte n\xC2\xB0 0417 2210 9356\n"
                       "  - D\xC3\xA9"
                       "couverte : valide jusqu'au 31/12/2025\n"),
              std::string::npos);
    EXPECT_NE(out.find("> choice 1\n[menu]\nLangue des menus\n"), std::string::npos);
    EXPECT_NE(out.find("> choice 3\n[question, answer typed blind, 4 characters]\n"
                       "Code PIN de la carte (4 chiffres) :\n> answer ****\n[menu]\nContr\xC3\xB4le parental\n"),
              std::string::npos);
    EXPECT_NE(out.find("> choice 2\n[menu]\nContr\xC3\xB4le parental\nNiveau actuel : D\xC3\xA9"
                       "conseill\xC3\xA9 aux moins de 10 ans\n"),
              std::string::npos);
}

TEST_F(CamAgainstSimulator, CliSaysSoWhenThereIsNoCam) {
    ASSERT_TRUE(simulator_.SetCamPresent(kCam, false));
    const test::CliRun run = Cli({"cam", "2"});
    EXPECT_EQ(run.status, kCliNoCam);
    EXPECT_EQ(run.err, "kelvane-cli: row 2: there is no CAM in the CI module\n");
    EXPECT_EQ(run.out, "");
}

TEST_F(CamAgainstSimulator, CliRefusesARowWithoutACiModule) {
    const test::CliRun run = Cli({"cam", "1"});
    EXPECT_EQ(run.status, kCliUsage);
    EXPECT_NE(run.err.find("row 1 holds no common-interface module"), std::string::npos);
}

TEST_F(CamAgainstSimulator, CliStopsWhereTheCamClosesItsMenu) {
    const test::CliRun run = Cli({"cam", "2", "0", "1"});
    EXPECT_EQ(run.status, kCliIncomplete);
    // Said once, though the CAM closes both its menu and the session.
    EXPECT_TRUE(run.out.ends_with("> choice 0\n(the CAM closed its menu)\n")) << run.out;
    EXPECT_EQ(run.err, "kelvane-cli: row 2: the CAM closed its menu: choice 1 was not sent\n");
}

// A CAM pulled while its PIN question is up, and one whose menu is longer than any buffer: the panel follows the
// first and names the second.
TEST_F(CamAgainstSimulator, PanelFollowsACamPulledAtThePinAndNamesAPacketTooLong) {
    sim::CamSlot::Faults pin;
    pin.pullDuring = sim::CamScreen::PinQuestion;
    ASSERT_TRUE(simulator_.SetCamFaults(kCam, pin));
    StartProgram();
    Main().SelectSlot(kCam);
    ASSERT_TRUE(RunUntil([&] { return Entries() == kMainMenu; }));
    Panel().DoubleClick(res::kCamList, 5);  // Contrôle parental, behind the PIN
    ASSERT_TRUE(RunUntil([&] { return Panel().ControlState(res::kCamLampPicture).bitmap == res::kRedLampBitmap; }));
    EXPECT_TRUE(Entries().empty()) << "the question goes with the CAM";
    EXPECT_FALSE(Panel().IsControlShown(res::kCamAnswerEdit)) << "a pulled CAM cannot be answered";
    EXPECT_FALSE(simulator_.CamPresent(kCam));

    sim::CamSlot::Faults oversized;
    oversized.quirks.oversizedMenu = true;
    Main().SelectSlot(CKelvaneDlg::kNoSlot);
    ASSERT_TRUE(simulator_.SetCamFaults(kCam, oversized));
    ASSERT_TRUE(simulator_.SetCamPresent(kCam, true));
    Main().SelectSlot(kCam);
    EXPECT_TRUE(RunUntil([&] { return Main().Info().Text() == MessageText(kCamPacketTooLongMessage); }))
        << Main().Info().Text();
    EXPECT_NE(Entries(), kMainMenu);
}

}  // namespace
}  // namespace kelvane
