// A rack at another site: kxrsim's pseudo-terminal behind ser2net on 127.0.0.1, reached by kelvane-cli through a
// raw TCP entry and through an RFC 2217 entry, and a server stopped and started again under a running session.

#include "app/MessageCatalogue.h"
#include "app/TextFormat.h"
#include "link/Xmit.h"
#include "platform/EntryPorts.h"
#include "platform/SystemClock.h"
#include "res/ResourceIds.h"
#include "sim/DefaultRack.h"
#include "sim/RackDescription.h"
#include "tests/app/StandInPanels.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/CliRun.h"
#include "tests/support/DelayingProxy.h"
#include "tests/support/LocalListener.h"
#include "tests/support/ProgramWindow.h"
#include "ui/headless/HeadlessWindowSystem.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kelvane {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

using test::CliRun;
using test::Spawn;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Polls `done` every 50 ms for at most `limit`.
template <typename Condition>
bool WaitUntil(Condition done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

void Stop(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

class SerialServer : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("kelvane-ser2net-" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "firmware");
        const fs::path link = dir_ / "rack";
        // The default rack, with its KXB200 at the release the firmware image below upgrades from.
        sim::RackDescription rack = sim::DefaultRack();
        rack.modules[0].version = 14;
        std::ofstream(dir_ / "site.rack") << sim::FormatRackDescription(rack);
        sim_ = Spawn({KXRSIM_PATH, "--link", link.string(), "--rack", (dir_ / "site.rack").string()}, dir_ / "sim.out",
                     dir_ / "sim.err", dir_);
        ASSERT_TRUE(WaitUntil([&] { return fs::exists(link); }, 10s)) << "kxrsim did not make its port";
        port_ = FreeLoopbackPort();
        const bool telnet = std::string(GetParam()) == "rfc2217";
        // The configuration an operator writes for a rack at a site, on the loopback address only.
        std::ofstream(dir_ / "ser2net.yaml")
            << "connection: &rack\n"
            << "  accepter: " << (telnet ? "telnet(rfc2217),tcp," : "tcp,") << "127.0.0.1," << port_ << "\n"
            << "  connector: serialdev," << link.string() << ",115200n81,local\n"
            << "  options:\n"
            << "    kickolduser: true\n";
        entry_ = std::string(GetParam()) + ":127.0.0.1:" + std::to_string(port_);
        StartServer();
    }

    void TearDown() override {
        Stop(watch_);
        Stop(server_);
        Stop(sim_);
        fs::remove_all(dir_);
    }

    void StartServer() {
        server_ =
            Spawn({SER2NET_PATH, "-n", "-c", (dir_ / "ser2net.yaml").string(), "-P", (dir_ / "ser2net.pid").string()},
                  dir_ / "ser2net.out", dir_ / "ser2net.err", dir_);
        ASSERT_TRUE(WaitUntil([&] { return ListeningOnLoopback(port_); }, 10s)) << ReadFile(dir_ / "ser2net.err");
        // ser2net closes the line behind the connection that only checked it listens; let it settle.
        std::this_thread::sleep_for(300ms);
    }

    CliRun Cli(const std::string& command) { return CliThrough(entry_, command); }

    CliRun CliThrough(const std::string& entry, const std::string& command) {
        return test::RunCliProgram(
            "cd '" + dir_.string() + "' && " KELVANE_CLI_PATH " --port '" + entry + "' " + command, dir_ / "err");
    }

    std::string Level(int row) {
        const CliRun show = Cli("show " + std::to_string(row));
        const std::size_t at = show.out.find("  level ");
        return at == std::string::npos ? show.out + show.err : show.out.substr(at + 8, 2);
    }

    fs::path dir_;
    std::string entry_;
    std::uint16_t port_ = 0;
    pid_t sim_ = -1;
    pid_t server_ = -1;
    pid_t watch_ = -1;
};

TEST_P(SerialServer, DiscoveryPanelEditFirmwareConfigurationAndCamThroughTheServer) {
    const CliRun find = Cli("find");
    ASSERT_EQ(find.status, 0) << find.err;
    bool named = false;
    for (int language = 0; language < kLanguageCount; ++language) {
        named = named || find.out.find(FormatText(MessageText(kRackFoundOnMessage, language), {entry_}) + "\n") !=
                             std::string::npos;
    }
    EXPECT_TRUE(named) << find.out;

    const CliRun modules = Cli("modules");
    ASSERT_EQ(modules.status, 0) << modules.err;
    EXPECT_NE(modules.out.find("  7     7     2  KXD400   V1.8 "), std::string::npos) << modules.out;

    // A panel edit, then a configuration saved, changed and uploaded back.
    ASSERT_EQ(Cli("set 3 level=20").status, 0);
    EXPECT_EQ(Level(3), "20");
    ASSERT_EQ(Cli("save rack.kcf").status, 0);
    ASSERT_EQ(Cli("set 3 level=5").status, 0);
    EXPECT_EQ(Level(3), "5 ");
    const CliRun upload = Cli("upload rack.kcf --yes");
    EXPECT_EQ(upload.status, 0) << upload.out << upload.err;
    EXPECT_EQ(Level(3), "20");

    // The CAM's menu and a choice in it.
    const CliRun cam = Cli("cam 2 1");
    EXPECT_EQ(cam.status, 0) << cam.err;
    EXPECT_NE(cam.out.find("[menu]\nKryptaVision - Module CA\n"), std::string::npos) << cam.out;
    EXPECT_NE(cam.out.find("> choice 1\n[list]\nInformations sur le module\n"), std::string::npos) << cam.out;

    // A firmware upgrade, with the rack's restart and the search that follows it.
    std::string payload(512, '\x5A');
    payload.replace(16, 5, std::string("KXRV\x14", 5));  // the version the module runs after its restart
    std::ofstream(dir_ / "payload.bin", std::ios::binary) << payload;
    ASSERT_EQ(Cli("firmware build KXB200 20 payload.bin firmware/KXB200_V20.frm").status, 0);
    std::ofstream(dir_ / "firmware" / "KXR.FRM") << "KXB200_V20.frm\n";
    const CliRun upgrade = Cli("firmware upgrade");
    EXPECT_EQ(upgrade.status, 0) << upgrade.out << upgrade.err;
    const CliRun after = Cli("modules");
    EXPECT_NE(after.out.find("  1     1     1  KXB200   V2.0 "), std::string::npos)
        << upgrade.out << after.out << after.err;
}

TEST_P(SerialServer, AServerStoppedUnderAWatchIsFoundAgainAndNothingIsLost) {
    ASSERT_EQ(Cli("set 3 level=17").status, 0);
    watch_ = Spawn({KELVANE_CLI_PATH, "--port", entry_, "watch", "--interval", "0.2"}, dir_ / "watch.out",
                   dir_ / "watch.err", dir_);
    const auto said = [&](const std::string& text) {
        return ReadFile(dir_ / "watch.err").find(text) != std::string::npos;
    };
    ASSERT_TRUE(WaitUntil([&] { return ReadFile(dir_ / "watch.out").find("row 7 KXD400") != std::string::npos; }, 20s))
        << ReadFile(dir_ / "watch.err");

    Stop(server_);
    ASSERT_TRUE(WaitUntil([&] { return said("rack lost"); }, 20s)) << ReadFile(dir_ / "watch.err");
    std::this_thread::sleep_for(500ms);
    StartServer();
    ASSERT_TRUE(WaitUntil([&] { return said("rack found again on " + entry_); }, 30s)) << ReadFile(dir_ / "watch.err");
    const std::size_t before = ReadFile(dir_ / "watch.out").size();
    EXPECT_TRUE(WaitUntil([&] { return ReadFile(dir_ / "watch.out").size() > before + 100; }, 20s));
    Stop(watch_);

    // The edit made before the server went away is still in the rack, and the session goes on as before.
    EXPECT_EQ(Level(3), "17");
    ASSERT_EQ(Cli("set 3 level=18").status, 0);
    EXPECT_EQ(Level(3), "18");
}

// The server 150 ms away each way, and no latency in the entry: the link learns the round trip from its echoes,
// and the rack saved from afar is the rack saved from close by. The delay works alike for every kind of entry:
// the raw one is enough, and keeps the run short.
class FarSerialServer : public SerialServer {};

TEST_P(FarSerialServer, ASaveFromAfarWithoutALatencyIsTheSaveFromCloseBy) {
    const CliRun near = Cli("save rack.kcf");
    ASSERT_EQ(near.status, 0) << near.err;
    fs::rename(dir_ / "rack.kcf", dir_ / "near.kcf");
    test::DelayingProxy proxy(port_, 150ms);
    ASSERT_NE(proxy.Port(), 0);
    const CliRun far =
        CliThrough(std::string(GetParam()) + ":127.0.0.1:" + std::to_string(proxy.Port()), "save rack.kcf");
    EXPECT_EQ(far.status, 0) << far.out << far.err;
    EXPECT_EQ(far.out, near.out);
    EXPECT_EQ(ReadFile(dir_ / "rack.kcf"), ReadFile(dir_ / "near.kcf"));
}

// The window over a serial server: the message area names the entry; when the server goes, the panel's request
// fails at once and the supervision searches again; once the server is back, the rack is found again.
TEST_P(SerialServer, TheWindowNamesTheEntryAndSearchesAgainWhenTheServerGoes) {
    // A usable firmware image for a module the rack does not hold: no upgrade, and no missing-firmware warning
    // over the message area.
    std::ofstream(dir_ / "payload.bin", std::ios::binary) << std::string(512, '\x5A');
    ASSERT_EQ(Cli("firmware build KXE500 20 payload.bin firmware/KXE500_V20.frm").status, 0);
    std::ofstream(dir_ / "firmware" / "KXR.FRM") << "KXE500_V20.frm\n";

    SetLanguageIndex(kEnglish);
    SystemClock clock;
    ui::HeadlessWindowSystem windows{clock};
    EntryPortOpener ports({entry_}, nullptr);
    CXmit link(ports, clock);
    std::vector<test::PanelCall> calls;
    const std::unique_ptr<CKelvaneDlg> main =
        test::OpenMainWindow(windows, link, dir_.string(), std::make_unique<test::StandInModulePanel>(windows, calls),
                             std::make_unique<test::StandInCamMenu>(windows, calls));
    ui::HeadlessDialog& window = *windows.Find(res::kMainDialog);
    main->Firmware().ScanFirmwareFiles(dir_);
    main->DiscoverRack();
    ASSERT_EQ(main->Slots().ModuleCount, 8);
    EXPECT_EQ(main->Info().Text(), "Rack found on " + entry_);

    Stop(server_);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(link.XmitRequest({}, 3, 0x40, 10000));  // three tries of 100 s, had the loss gone unseen
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_EQ(link.LastFailure(), LinkFailure::HungUp);
    EXPECT_TRUE(link.LinkLost());
    windows.RunFor(150);  // the supervision's search finds no server
    EXPECT_FALSE(link.PortOpen());
    EXPECT_FALSE(windows.TimerActive(window, CKelvaneDlg::kSupervisionTimer));

    StartServer();
    window.Click(res::kDiscoverButton);
    EXPECT_TRUE(link.PortOpen());
    EXPECT_EQ(main->Slots().ModuleCount, 8);
    EXPECT_EQ(main->Info().Text(), "Rack found on " + entry_);
    EXPECT_TRUE(windows.TimerActive(window, CKelvaneDlg::kSupervisionTimer));
}

// A server that keeps its line for the client it has says so to the next one and hangs up: the search names the
// entry with the server's words, and the port counts as in use by another program.
TEST_P(SerialServer, AServerWhoseLineIsTakenIsNamedAsBusyWithItsWords) {
    Stop(server_);
    std::string config = ReadFile(dir_ / "ser2net.yaml");
    config.erase(config.find("  options:\n"));
    std::ofstream(dir_ / "ser2net.yaml") << config;
    std::ofstream(dir_ / "pref.txt") << "EN\n";
    StartServer();
    const int holder = test::ConnectLocal(port_);
    ASSERT_GE(holder, 0);
    std::this_thread::sleep_for(300ms);  // the server opens its line for the first client

    // One try: a server that hangs up on a client it refuses may do so before its words are read, and a wait that
    // asks again and again would then end on a try that heard none.
    const CliRun find = Cli("--wait-busy 0 find");
    ::close(holder);
    EXPECT_EQ(find.status, 8) << find.err;
    EXPECT_NE(find.err.find("kelvane-cli: " + entry_ + ": the server's device is in use (\"Port already in use\")"),
              std::string::npos)
        << find.err;
}

INSTANTIATE_TEST_SUITE_P(Entries, SerialServer, ::testing::Values("tcp", "rfc2217"),
                         [](const auto& info) { return std::string(info.param); });
INSTANTIATE_TEST_SUITE_P(Entries, FarSerialServer, ::testing::Values("tcp"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace kelvane
