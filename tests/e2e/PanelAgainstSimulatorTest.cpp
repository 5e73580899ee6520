// The module panel and kelvane-cli show/set against kxrsim over a real pseudo-terminal.

#include "app/KelvaneDlg.h"
#include "app/MessageCatalogue.h"
#include "cam/OpenCam.h"
#include "link/Xmit.h"
#include "panel/SatCofdm.h"
#include "platform/SystemClock.h"
#include "platform/posix/PortTable.h"
#include "res/ModulePanelIds.h"
#include "res/ResourceIds.h"
#include "sim/DefaultRack.h"
#include "sim/RackSimulator.h"
#include "tools/cli/CliCommands.h"
#include "ui/headless/HeadlessWindowSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace kelvane {
namespace {

using namespace res::panel;

class PanelAgainstSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        SetLanguageIndex(kEnglish);
        std::string error;
        ASSERT_TRUE(rack.Start(error)) << error;
        ports = PortTable({rack.PortPath()});
    }
    void TearDown() override { rack.Stop(); }

    std::size_t Writes() const {
        std::size_t n = 0;
        for (const sim::Request& r : rack.RequestLog()) n += r.Command() == 0x50 || r.Command() == 0x80;
        return n;
    }

    int Cli(const std::vector<std::string>& args, std::string& out, std::string& err) {
        std::ostringstream o, e;
        CliContext cli{link, ports, clock, o, e, std::filesystem::temp_directory_path()};
        const int status = RunCli(args, cli);
        out = o.str();
        err = e.str();
        return status;
    }

    sim::RackSimulator rack{sim::DefaultRack()};
    SystemClock clock;
    PortTable ports{std::vector<std::string>{}};
    CXmit link{ports, clock};
};

TEST_F(PanelAgainstSimulator, OperatorEditReachesTheModuleAndOpeningAloneRestartsNothing) {
    ui::HeadlessWindowSystem windows(clock);
    CKelvaneDlg main(windows, link, "/nonexistent", std::make_unique<CSatCofdm>(windows),
                     std::make_unique<COpenCam>(windows));
    main.Create();
    ui::HeadlessDialog& window = *windows.Find(res::kMainDialog);
    window.KillTimer(CKelvaneDlg::kStartTimer);
    main.DiscoverRack();
    ui::HeadlessDialog& panel = *windows.Find(res::kModulePanelDialog);

    window.Click(res::kModuleList, 7);
    windows.RunFor(2300);
    EXPECT_EQ(Writes(), 0u);
    EXPECT_EQ(rack.RestartCount(7), 0u);

    panel.Type(kOutFreq[0], "538000");
    panel.PressEnter();
    windows.RunFor(1100);
    const std::vector<std::uint8_t> image = rack.ConfigOf(7);
    ASSERT_GE(image.size(), 2u);
    EXPECT_EQ(image[0] << 8 | image[1], 538000 / 125);
    EXPECT_EQ(rack.ConfigWrites(7), 1u);
    EXPECT_EQ(rack.RestartCount(7), 1u);
    EXPECT_EQ(rack.ConfigWrites(6), 0u);
    EXPECT_EQ(main.Slots()[7].SentLength, image.size());
}

TEST_F(PanelAgainstSimulator, CliShowsThePairWithItsAnnouncedServices) {
    std::string out, err;
    ASSERT_EQ(Cli({"show", "3"}, out, err), kCliOk) << err;
    EXPECT_NE(out.find("input  row 1 KXB200"), std::string::npos) << out;
    EXPECT_NE(out.find("output row 3 KXD410"), std::string::npos) << out;
    EXPECT_NE(out.find("channel 2: 482000 kHz"), std::string::npos) << out;
    EXPECT_NE(out.find("Kelvane A"), std::string::npos) << out;
    EXPECT_NE(out.find("1101"), std::string::npos) << out;
    EXPECT_EQ(Writes(), 0u);
}

TEST_F(PanelAgainstSimulator, CliSetSendsTheChangedImagesOnly) {
    std::string out, err;
    ASSERT_EQ(Cli({"set", "7", "out.freq=546000", "level=25", "network.name=Nord"}, out, err), kCliOk) << err;
    const std::vector<std::uint8_t> image = rack.ConfigOf(7);
    EXPECT_EQ(image[0] << 8 | image[1], 546000 / 125);
    EXPECT_EQ(rack.ConfigWrites(7), 1u);
    EXPECT_EQ(rack.RestartCount(7), 1u);
    EXPECT_EQ(rack.ConfigWrites(6), 0u);  // the input's image came back unchanged
    ASSERT_EQ(Cli({"show", "7"}, out, err), kCliOk);
    EXPECT_NE(out.find("name \"Nord\""), std::string::npos) << out;
    EXPECT_NE(out.find("level 25"), std::string::npos) << out;
}

TEST_F(PanelAgainstSimulator, CliSetRefusesWhatItCannotApply) {
    std::string out, err;
    EXPECT_EQ(Cli({"set", "7", "out.freq=100"}, out, err), kCliUsage);
    EXPECT_NE(err.find("out.freq"), std::string::npos) << err;
    EXPECT_EQ(Cli({"set", "7", "colour=blue"}, out, err), kCliUsage);
    EXPECT_EQ(Cli({"set", "2", "level=3"}, out, err), kCliUsage);  // a CI module is not part of a pair
    EXPECT_EQ(Cli({"set", "7", "tsid1=490000"}, out, err), kCliUsage);  // never wrapped to 31248
    EXPECT_NE(err.find("from 0 to 65535"), std::string::npos) << err;
    EXPECT_EQ(Cli({"set", "7", "player.sid=5"}, out, err), kCliUsage);  // the pair has no player
    EXPECT_EQ(Writes(), 0u);
}

}  // namespace
}  // namespace kelvane
