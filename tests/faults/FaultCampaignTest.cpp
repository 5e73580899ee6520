// The fault campaign: kelvane-cli, as the program it is, against a rack that fails in the ways a head-end's line,
// rack, CAM, disk and neighbours do. Every run must end by itself within a bound, without a crash, without
// spinning, saying what went wrong; nothing the operator keeps may be lost, and the next run after the fault
// works again.

#include "app/MessageCatalogue.h"
#include "config/ConfigFile.h"
#include "config/FirmwareFiles.h"
#include "link/Xmit.h"
#include "platform/SystemClock.h"
#include "platform/posix/PortTable.h"
#include "res/ResourceIds.h"
#include "sim/DefaultRack.h"
#include "sim/FirmwareStore.h"
#include "sim/ModuleModels.h"
#include "sim/RackSimulator.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/DefaultRackRows.h"
#include "tests/support/ProgramWindow.h"
#include "ui/headless/HeadlessWindowSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <csignal>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace std::string_literals;
using Bytes = std::vector<std::uint8_t>;
using test::Spawn;

using test::rack::kCam;
using test::rack::kOneChannelOutput;
constexpr const char* kHungUpLine = "kelvane-cli: the line to the rack hung up";

std::string FileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// How a program run ended.
struct Ended {
    int status = -1;  // the exit status; -1 when it did not exit
    int signal = 0;  // the signal that ended it
    bool hung = false;  // still running at the bound, then killed
    double wallSeconds = 0;
    double cpuSeconds = 0;  // user and system time of the process
    std::string out;
    std::string err;
};

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

// Waits for `pid` within `bound`, polling; kills it when the bound passes.
Ended Reap(pid_t pid, std::chrono::seconds bound) {
    Ended ended;
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, WNOHANG, &usage) == pid) {
            ended.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            ended.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
            ended.cpuSeconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
            break;
        }
        if (std::chrono::steady_clock::now() - start > bound) {
            ended.hung = true;
            kill(pid, SIGKILL);
            wait4(pid, &status, 0, &usage);
            break;
        }
        std::this_thread::sleep_for(20ms);
    }
    ended.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return ended;
}

// A run that ended as a program should, whatever the fault: by itself, without a signal, without spinning on the
// CPU while it waited for the line (half the time it took, and a second for starting up, is far above what a
// program that sleeps while it waits uses), and having said why when it failed.
void ExpectSound(const Ended& run, const std::string& what) {
    SCOPED_TRACE(what);
    EXPECT_FALSE(run.hung) << "still running at the bound\n" << run.err;
    EXPECT_EQ(run.signal, 0) << "ended by signal " << run.signal << "\n" << run.err;
    EXPECT_LT(run.cpuSeconds, 1.0 + run.wallSeconds / 2) << "busy for " << run.wallSeconds << " s";
    if (run.status != 0) {
        EXPECT_NE(run.err.find("kelvane-cli: "), std::string::npos) << "failed silently";
    }
}

// The real clock, telling `onSleep` each time the program sleeps: the texts a window shows while it waits with
// the clock are seen there.
class ObservedClock : public Clock {
public:
    std::uint64_t TickCount() const override { return clock_.TickCount(); }
    std::time_t SystemSeconds() const override { return clock_.SystemSeconds(); }
    void Sleep(std::uint32_t milliseconds) override {
        if (onSleep) onSleep();
        clock_.Sleep(milliseconds);
    }
    std::function<void()> onSleep;

private:
    SystemClock clock_;
};

class FaultCampaign : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("kelvane-faults-" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "firmware");
        std::ofstream(dir_ / "pref.txt") << "EN\n";  // the messages checked are the English ones
        link_ = (dir_ / "rack").string();
    }

    void TearDown() override {
        if (returner_.joinable()) returner_.join();
        for (const pid_t pid : programs_) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (simulator_) simulator_->Stop();
        fs::remove_all(dir_);
    }

    void StartRack(sim::FaultOptions faults = {}, sim::RackDescription rack = sim::DefaultRack()) {
        simulator_ = std::make_unique<sim::RackSimulator>(std::move(rack), faults);
        std::string error;
        ASSERT_TRUE(simulator_->Start(error, link_)) << error;
    }

    // Once the line has hung up, it comes back after `delay` at the same path, as an adapter plugged in again.
    void ComeBackAfter(std::chrono::milliseconds delay) {
        returner_ = std::thread([this, delay] {
            for (int i = 0; i < 3000 && Rack().TerminalOpen(); ++i) std::this_thread::sleep_for(20ms);
            std::this_thread::sleep_for(delay);
            std::string error;
            if (!Rack().TerminalOpen()) Rack().ReopenTerminal(error);
        });
    }

    // The line or the rack is well again.
    void Heal() {
        if (returner_.joinable()) returner_.join();
        std::string error;
        if (!Rack().TerminalOpen()) {
            ASSERT_TRUE(Rack().ReopenTerminal(error)) << error;
        }
        sim::FaultOptions none;
        none.restartSilenceMs = Rack().Faults().restartSilenceMs;
        Rack().SetFaults(none);
    }

    // One kelvane-cli run to its end, or to the bound.
    Ended Cli(const std::vector<std::string>& args, std::vector<std::pair<std::string, std::string>> environment = {},
              std::chrono::seconds bound = 60s) {
        std::vector<std::string> argv{KELVANE_CLI_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        environment.emplace_back("KELVANE_PORTS", link_);
        const pid_t pid = Spawn(argv, dir_ / "cli.out", dir_ / "cli.err", dir_, environment);
        Ended ended = Reap(pid, bound);
        ended.out = FileText(dir_ / "cli.out");
        ended.err = FileText(dir_ / "cli.err");
        return ended;
    }

    // A configuration file of the rack as it is, and one with the output's first image byte changed.
    void SaveRackAndAnEdit(const fs::path& current, const fs::path& edited) {
        const Ended saved = Cli({"save", current.string()});
        ASSERT_EQ(saved.status, 0) << saved.err;
        LoadedConfig loaded;
        ASSERT_EQ(ReadConfigFile(current, loaded), ConfigReadResult::Read);
        SlotTable table;
        table.ModuleCount = loaded.LoadedCount;
        std::copy_n(loaded.LoadedTable.begin(), loaded.LoadedCount, table.Records.begin());
        table[kOneChannelOutput].Config[0] ^= 0x01;
        std::error_code error;
        ASSERT_TRUE(SaveConfigFile(edited, table, error)) << error.message();
    }

    static Bytes ImageIn(const fs::path& file, std::uint8_t row) {
        LoadedConfig loaded;
        if (ReadConfigFile(file, loaded) != ConfigReadResult::Read || row >= loaded.LoadedCount) return {};
        const auto image = loaded.LoadedTable[row].ConfigImage();
        return {image.begin(), image.end()};
    }

    sim::RackSimulator& Rack() { return *simulator_; }

    fs::path dir_;
    std::string link_;
    std::vector<pid_t> programs_;
    std::unique_ptr<sim::RackSimulator> simulator_;
    std::thread returner_;
};

// 1. The adapter pulled out during discovery, during the polling of a pair, during a firmware block and during a
// configuration upload; then plugged back in.
TEST_F(FaultCampaign, LineHangingUpAnywhereIsToldAndTheNextRunWorks) {
    {
        SCOPED_TRACE("during discovery");
        sim::FaultOptions faults;
        faults.hangUpAt.afterRequests = 6;
        StartRack(faults);
        const Ended run = Cli({"modules"});
        ExpectSound(run, "modules");
        EXPECT_EQ(run.status, 4);
        EXPECT_EQ(run.err.find("no reply after three tries"), std::string::npos) << "none was tried\n" << run.err;
        EXPECT_NE(run.err.find(kHungUpLine), std::string::npos) << run.err;
        EXPECT_EQ(Rack().HangUps(), 1u);
        Heal();
        const Ended again = Cli({"modules"});
        EXPECT_EQ(again.status, 0) << again.err;
        EXPECT_NE(again.out.find("KXD400"), std::string::npos);
        simulator_->Stop();
    }
    {
        SCOPED_TRACE("during a configuration upload");
        StartRack();
        const fs::path current = dir_ / "current.kcf", edited = dir_ / "edited.kcf";
        SaveRackAndAnEdit(current, edited);
        const std::string editedBytes = FileText(edited);
        const Bytes before = Rack().ConfigOf(kOneChannelOutput);
        sim::FaultOptions faults;
        faults.hangUpAt.command = 0x50;
        Rack().SetFaults(faults);
        const Ended run = Cli({"upload", edited.string(), "--yes"});
        ExpectSound(run, "upload");
        EXPECT_NE(run.status, 0) << "an upload whose write was never answered is not done";
        EXPECT_NE(run.err.find(kHungUpLine), std::string::npos) << run.err;
        EXPECT_EQ(run.out.find("Configuration uploaded to hardware."), std::string::npos) << run.out;
        EXPECT_EQ(FileText(edited), editedBytes) << "the operator's file is untouched";
        // The write reached the rack before the line went: it holds the old image or the new one, whole.
        const Bytes held = Rack().ConfigOf(kOneChannelOutput);
        EXPECT_TRUE(held == before || held == ImageIn(edited, kOneChannelOutput));
        Heal();
        const Ended again = Cli({"upload", edited.string(), "--yes"});
        EXPECT_EQ(again.status, 0) << again.err;
        EXPECT_EQ(Rack().ConfigOf(kOneChannelOutput), ImageIn(edited, kOneChannelOutput));
        simulator_->Stop();
    }
    {
        SCOPED_TRACE("during a firmware block");
        sim::RackDescription rack;
        rack.modules = {{sim::kKXB200, 5, 14, true, {}}};
        sim::FaultOptions faults;
        faults.restartSilenceMs = 300;
        faults.hangUpAt.command = 0xC0;
        faults.hangUpAt.nth = 2;
        StartRack(faults, rack);
        Bytes image(3 * kFirmwareBlock, 0x5A);
        const std::uint8_t marker[] = {'K', 'X', 'R', 'V', 20};
        std::copy(std::begin(marker), std::end(marker), image.begin() + 16);
        const Bytes file = BuildFirmwareFile(sim::kKXB200, 20, image);
        std::ofstream(dir_ / "firmware" / "KXB200_V20.frm", std::ios::binary)
            .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
        std::ofstream(dir_ / "firmware" / kFirmwareListName) << "KXB200_V20.frm\n";
        ComeBackAfter(1500ms);
        const Ended run = Cli({"firmware", "upgrade"});
        ExpectSound(run, "firmware upgrade");
        // No restart can be sent on a line that is gone, so none is waited for: the failed block and the line
        // are named at once.
        EXPECT_EQ(run.status, 4);
        EXPECT_NE(run.err.find("the upgrade of row 1 (KXB200, address 5) failed"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("hung up before the rack was told to restart"), std::string::npos) << run.err;
        EXPECT_EQ(Rack().VersionOf(5), 14) << "no restart into a half-written image";
        Heal();
        const Ended again = Cli({"firmware", "upgrade"});
        EXPECT_EQ(again.status, 0) << again.err;
        EXPECT_EQ(Rack().FirmwareOf(5), image);
        EXPECT_EQ(Rack().VersionOf(5), 20);
    }
}

// 1, through the window: the line hangs up while the module panel polls its pair. The window says the rack is not
// found and, once the line is back, finds it again by itself, without spinning meanwhile.
TEST_F(FaultCampaign, WindowFindsTheRackAgainWhenTheLineComesBack) {
    SetLanguageIndex(kEnglish);
    StartRack();
    ObservedClock clock;
    PortTable ports({link_});
    CXmit link(ports, clock);
    ui::HeadlessWindowSystem windows(clock);
    const std::unique_ptr<CKelvaneDlg> main = test::OpenMainWindow(windows, link, dir_.string());
    ui::HeadlessDialog& window = *windows.Find(res::kMainDialog);
    main->DiscoverRack();
    window.Click(res::kModuleList, kOneChannelOutput);
    windows.RunFor(300);
    const auto listings = [&] {
        std::size_t n = 0;
        for (const sim::Request& r : Rack().RequestLog()) n += r.destination == 0 && r.Command() == 0x60;
        return n;
    };
    ASSERT_EQ(listings(), 1u);

    sim::FaultOptions faults;
    faults.hangUpAt.command = 0x40;  // the panel's next status poll
    Rack().SetFaults(faults);
    ComeBackAfter(1500ms);
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::string> shown;
    clock.onSleep = [&] {
        if (shown.empty() || shown.back() != main->Info().Text()) shown.push_back(main->Info().Text());
    };
    for (int turn = 0; turn < 200 && listings() < 2; ++turn) windows.RunFor(50);
    clock.onSleep = nullptr;
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu =
        Seconds(after.ru_utime) + Seconds(after.ru_stime) - Seconds(before.ru_utime) - Seconds(before.ru_stime);
    EXPECT_EQ(Rack().HangUps(), 1u);
    EXPECT_EQ(listings(), 2u) << "the rack was found again and its modules listed";
    EXPECT_NE(std::find(shown.begin(), shown.end(), MessageText(kLinkLostSearchingMessage)), shown.end())
        << "the lost link was not told: " << ::testing::PrintToString(shown);
    EXPECT_LT(cpu, 1.0 + wall / 2) << "busy for " << wall << " s";
    EXPECT_FALSE(link.LinkLost());
    EXPECT_EQ(main->Slots().ModuleCount, 8u);
}

// 1, with kxrsim as the program it is: the line hangs up during watch's polling and comes back by itself, and
// watch finds the rack again without being told.
TEST_F(FaultCampaign, WatchFindsTheRackAgainWhenTheLineComesBack) {
    const pid_t rack = Spawn({KXRSIM_PATH, "--link", link_, "--hang-up", "0x40/20", "--back-after", "1500"},
                             "/dev/null", dir_ / "kxrsim.err", dir_);
    programs_.push_back(rack);
    for (int i = 0; i < 100 && !fs::exists(link_); ++i) std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(fs::exists(link_));
    const pid_t watch = Spawn({KELVANE_CLI_PATH, "watch", "--interval", "0.1"}, dir_ / "watch.out", dir_ / "watch.err",
                              dir_, {{"KELVANE_PORTS", link_}});
    const auto told = [&](const std::string& text) {
        for (int i = 0; i < 600; ++i) {
            if (FileText(dir_ / "watch.err").find(text) != std::string::npos) return true;
            std::this_thread::sleep_for(50ms);
        }
        return false;
    };
    EXPECT_TRUE(told("rack lost: searching")) << FileText(dir_ / "watch.err");
    EXPECT_TRUE(told("rack found again on " + link_)) << FileText(dir_ / "watch.err") << FileText(dir_ / "kxrsim.err");
    EXPECT_NE(FileText(dir_ / "kxrsim.err").find("terminal back"), std::string::npos);
    kill(watch, SIGTERM);
    const Ended ended = Reap(watch, 10s);
    EXPECT_EQ(ended.status, 0);
    EXPECT_FALSE(ended.hung);
    EXPECT_LT(ended.cpuSeconds, 1.0 + ended.wallSeconds / 2) << "watch spun while the line was out";
}

// 2. The rack restarts by itself, silent for a second and a half, during an upload and during a CAM's menu.
TEST_F(FaultCampaign, RackRestartingByItselfLosesNothing) {
    sim::FaultOptions faults;
    faults.restartSilenceMs = 1500;
    StartRack(faults);
    const fs::path current = dir_ / "current.kcf", edited = dir_ / "edited.kcf";
    SaveRackAndAnEdit(current, edited);
    const Bytes before = Rack().ConfigOf(kOneChannelOutput);
    faults.rebootAt.command = 0x50;
    Rack().SetFaults(faults);
    const Ended upload = Cli({"upload", edited.string(), "--yes"});
    ExpectSound(upload, "upload");
    EXPECT_EQ(Rack().Reboots(), 1u);
    const Bytes held = Rack().ConfigOf(kOneChannelOutput);
    if (upload.status == 0) {
        EXPECT_EQ(held, ImageIn(edited, kOneChannelOutput)) << "told uploaded, so the rack must hold it";
    } else {
        EXPECT_TRUE(held == before || held == ImageIn(edited, kOneChannelOutput));
        std::this_thread::sleep_for(1500ms);
        EXPECT_EQ(Cli({"upload", edited.string(), "--yes"}).status, 0);
        EXPECT_EQ(Rack().ConfigOf(kOneChannelOutput), ImageIn(edited, kOneChannelOutput));
    }

    faults.rebootAt = {};
    faults.rebootAt.command = 0x60;
    faults.rebootAt.nth = 4;  // the CAM's reads, once the main menu is on its way
    Rack().SetFaults(faults);
    const Ended menu = Cli({"cam", std::to_string(kCam), "3", "--answer", "1234"});
    ExpectSound(menu, "cam during a restart");
    EXPECT_EQ(Rack().Reboots(), 2u);
    std::this_thread::sleep_for(1500ms);
    const Ended again = Cli({"cam", std::to_string(kCam), "3", "--answer", "1234"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.out.find("Contrôle parental"), std::string::npos) << again.out;
}

// 3. One reply byte in 1,000 with a bit flipped, through a session of discovery, a save, a change and an upload:
// every bad frame is refused by its checksum and asked again; nothing wrong is stored or shown.
TEST_F(FaultCampaign, FlippedBytesAreRefusedAndAskedAgain) {
    StartRack();
    const fs::path clean = dir_ / "clean.kcf";
    ASSERT_EQ(Cli({"save", clean.string()}).status, 0);
    sim::FaultOptions faults;
    faults.flipEvery = 1000;
    Rack().SetFaults(faults);

    const Ended modules = Cli({"modules"});
    ExpectSound(modules, "modules");
    EXPECT_EQ(modules.status, 0) << modules.err;
    const fs::path saved = dir_ / "saved.kcf";
    const Ended save = Cli({"save", saved.string()});
    ExpectSound(save, "save");
    EXPECT_EQ(save.status, 0) << save.err;
    EXPECT_EQ(FileText(saved), FileText(clean)) << "the file holds what the rack holds, byte for byte";

    const Ended set = Cli({"set", std::to_string(kOneChannelOutput), "level=20"});
    ExpectSound(set, "set");
    EXPECT_EQ(set.status, 0) << set.err;
    const Ended shown = Cli({"show", std::to_string(kOneChannelOutput)});
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find("level 20"), std::string::npos) << shown.out;

    const Ended upload = Cli({"upload", clean.string(), "--yes"});
    ExpectSound(upload, "upload");
    EXPECT_EQ(upload.status, 0) << upload.err;
    for (std::uint8_t row = 1; row <= 7; ++row) EXPECT_EQ(Rack().ConfigOf(row), ImageIn(clean, row)) << "row " << +row;
    EXPECT_GE(Rack().FlippedBytes(), 3u) << "the session must have met the fault";
}

// 4. A USB adapter's latency: every reply 16 ms late, as an FTDI adapter's default latency timer makes it.
TEST_F(FaultCampaign, RepliesSixteenMillisecondsLateStillWork) {
    sim::FaultOptions faults;
    faults.lateMs = 16;
    StartRack(faults);
    const fs::path saved = dir_ / "saved.kcf";
    for (const std::vector<std::string>& args : {std::vector<std::string>{"modules"},
                                                 {"save", saved.string()},
                                                 {"set", std::to_string(kOneChannelOutput), "level=21"},
                                                 {"upload", saved.string(), "--yes"},
                                                 {"cam", std::to_string(kCam), "3", "--answer", "1234"}}) {
        const Ended run = Cli(args);
        ExpectSound(run, args[0]);
        EXPECT_EQ(run.status, 0) << args[0] << ": " << run.err;
    }
    EXPECT_EQ(Rack().ConfigOf(kOneChannelOutput), ImageIn(saved, kOneChannelOutput))
        << "the upload put the saved image back";
}

// 5. A CAM pulled in the middle of its menu and of the PIN question; a CAM that asks without end; a CAM whose
// menu is longer than any buffer.
TEST_F(FaultCampaign, MisbehavingCamsAreLeftWithAReason) {
    StartRack();
    const std::string row = std::to_string(kCam);
    struct Case {
        const char* what;
        sim::CamSlot::Faults faults;
        std::vector<std::string> args;
        const char* said;
    };
    sim::CamSlot::Faults duringMenu, duringPin, endless, oversized;
    duringMenu.pullDuring = sim::CamScreen::MainMenu;
    duringPin.pullDuring = sim::CamScreen::PinQuestion;
    endless.quirks.endlessQuestions = true;
    oversized.quirks.oversizedMenu = true;
    const Case cases[] = {
        {"pulled during the menu", duringMenu, {"cam", row}, "the CAM was taken out of the CI module"},
        {"pulled during the PIN question",
         duringPin,
         {"cam", row, "3", "--answer", "1234"},
         "the CAM was taken out of the CI module"},
        {"endless questions",
         endless,
         {"cam", row, "3", "--answer", "1234"},
         "the CAM kept asking: left after 32 questions answered"},
        {"oversized menu", oversized, {"cam", row}, "longer than the 4096 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(Rack().SetCamFaults(kCam, c.faults));
        const Ended run = Cli(c.args);
        ExpectSound(run, c.what);
        EXPECT_EQ(run.status, 7) << run.err;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
        // The CAM put back, well again: the same dialogue works.
        ASSERT_TRUE(Rack().SetCamFaults(kCam, {}));
        Rack().SetCamPresent(kCam, true);
        const Ended again = Cli({"cam", row, "3", "--answer", "1234"});
        EXPECT_EQ(again.status, 0) << again.err;
    }
}

// 6. A save meets a full disk, a read-only folder, and a SIGKILL at every step it takes (through a preloaded shim
// in front of the C library): the file it replaces is always whole, the old one or the new one.
TEST_F(FaultCampaign, SavesNeverLeaveAPartFile) {
    StartRack();
    const fs::path target = dir_ / "rack.kcf";
    const fs::path fresh = dir_ / "fresh.kcf";
    ASSERT_EQ(Cli({"save", fresh.string()}).status, 0);
    const std::string newBytes = FileText(fresh);
    const std::string oldBytes = "\x00\x00\x00\x01\x00\x02\x07\xD0"s;  // an older rack's file: controller and one image
    const auto putOld = [&] { std::ofstream(target, std::ios::binary) << oldBytes; };
    const auto onlyTheFile = [&] {
        for (const auto& entry : fs::directory_iterator(dir_)) {
            EXPECT_EQ(entry.path().filename().string().find(".partial"), std::string::npos) << entry.path();
            EXPECT_NE(entry.path().filename().string().front(), '.') << "left behind: " << entry.path();
        }
    };
    const std::pair<std::string, std::string> preload{"LD_PRELOAD", SAVE_FAULT_SHIM};
    // In a sanitizer build the shim comes before the sanitizer's runtime, which would refuse to start.
    const char* asan = std::getenv("ASAN_OPTIONS");
    const std::pair<std::string, std::string> sanitizer{
        "ASAN_OPTIONS", std::string(asan ? asan : "") + (asan && *asan ? ":" : "") + "verify_asan_link_order=0"};
    const std::pair<std::string, std::string> folder{"KELVANE_SHIM_FOLDER", dir_.string()};

    for (const char* fault : {"KELVANE_SHIM_NO_SPACE", "KELVANE_SHIM_READ_ONLY"}) {
        SCOPED_TRACE(fault);
        putOld();
        const Ended run = Cli({"save", target.string()}, {preload, sanitizer, folder, {fault, "1"}});
        ExpectSound(run, fault);
        EXPECT_EQ(run.status, 5) << run.err;
        EXPECT_NE(run.err.find("kelvane-cli: cannot save " + target.string()), std::string::npos) << run.err;
        EXPECT_EQ(FileText(target), oldBytes) << "the old file is kept whole";
        onlyTheFile();
    }

    // Each step of a whole save counted, then the save killed at each in turn.
    putOld();
    const fs::path log = fs::temp_directory_path() / ("kelvane-shim-" + std::to_string(getpid()) + ".log");
    fs::remove(log);
    ASSERT_EQ(Cli({"save", target.string()}, {preload, sanitizer, folder, {"KELVANE_SHIM_LOG", log.string()}}).status,
              0);
    const std::string steps = FileText(log);
    fs::remove(log);
    const auto count = static_cast<int>(std::count(steps.begin(), steps.end(), '\n'));
    ASSERT_GE(count, 5) << "the shim must see the save's open, writes, flush, sync and rename:\n" << steps;
    EXPECT_NE(steps.find("rename"), std::string::npos) << steps;
    EXPECT_EQ(FileText(target), newBytes);
    for (int step = 1; step <= count; ++step) {
        SCOPED_TRACE("killed at step " + std::to_string(step));
        putOld();
        const Ended run = Cli({"save", target.string()},
                              {preload, sanitizer, folder, {"KELVANE_SHIM_KILL_AT", std::to_string(step)}});
        EXPECT_EQ(run.signal, SIGKILL);
        const std::string left = FileText(target);
        EXPECT_TRUE(left == oldBytes || left == newBytes) << "a part file of " << left.size() << " bytes";
        // What a killed save left beside the file is hidden, and the next save works around it. The simulator
        // frees the port of a killed program once the line has been quiet a moment (its idle turn, 200 ms).
        Ended again = Cli({"save", target.string()});
        for (int wait = 0; wait < 50 && again.status == 8; ++wait) {
            std::this_thread::sleep_for(100ms);
            again = Cli({"save", target.string()});
        }
        EXPECT_EQ(again.status, 0) << again.err;
        EXPECT_EQ(FileText(target), newBytes);
        for (const auto& entry : fs::directory_iterator(dir_)) {
            if (entry.path().filename().string().front() == '.') fs::remove(entry.path());
        }
    }
}

// 7. Two programs on one port: watch lets go of it between rounds, so a command run meanwhile waits for the end of a
// round and works, and watch keeps polling; once watch has ended the port is free at once.
TEST_F(FaultCampaign, SecondProgramOnThePortWaitsForTheRoundsEnd) {
    StartRack();
    const pid_t watch = Spawn({KELVANE_CLI_PATH, "watch", "--interval", "0.2"}, dir_ / "watch.out", dir_ / "watch.err",
                              dir_, {{"KELVANE_PORTS", link_}});
    programs_.push_back(watch);
    for (int i = 0; i < 200 && FileText(dir_ / "watch.out").empty(); ++i) std::this_thread::sleep_for(50ms);
    ASSERT_FALSE(FileText(dir_ / "watch.out").empty()) << "watch is polling\n" << FileText(dir_ / "watch.err");
    const std::size_t before = Rack().RequestCount();
    const Ended second = Cli({"modules"});
    ExpectSound(second, "the second program");
    EXPECT_EQ(second.status, 0) << second.err;
    for (int i = 0; i < 100 && Rack().RequestCount() == before; ++i) std::this_thread::sleep_for(50ms);
    EXPECT_GT(Rack().RequestCount(), before) << "the first program kept polling";
    kill(watch, SIGTERM);
    const Ended first = Reap(watch, 10s);
    programs_.clear();
    EXPECT_EQ(first.status, 0);
    const Ended after = Cli({"modules"});
    EXPECT_EQ(after.status, 0) << after.err;
}

// 8. A firmware file rewritten on disk after the scan, while an upgrade runs: nothing of it is sent.
TEST_F(FaultCampaign, FirmwareFileChangedAfterTheScanIsNotSent) {
    sim::RackDescription rack;
    rack.modules = {{sim::kKXB200, 5, 14, true, {}}, {sim::kKXB200, 6, 14, true, {}}};
    sim::FaultOptions faults;
    faults.restartSilenceMs = 300;
    faults.lateMs = 30;  // the first module's blocks take long enough to change the file meanwhile
    StartRack(faults, rack);
    const auto write = [&](std::uint8_t version, std::uint8_t fill) {
        Bytes image(8 * kFirmwareBlock, fill);
        const std::uint8_t marker[] = {'K', 'X', 'R', 'V', version};
        std::copy(std::begin(marker), std::end(marker), image.begin() + 16);
        const Bytes file = BuildFirmwareFile(sim::kKXB200, version, image);
        std::ofstream(dir_ / "firmware" / "KXB200.frm", std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
        return image;
    };
    const Bytes scanned = write(20, 0x5A);
    std::ofstream(dir_ / "firmware" / kFirmwareListName) << "KXB200.frm\n";
    const std::vector<std::string> argv{KELVANE_CLI_PATH, "firmware", "upgrade"};
    const pid_t upgrade = Spawn(argv, dir_ / "cli.out", dir_ / "cli.err", dir_, {{"KELVANE_PORTS", link_}});
    for (int i = 0; i < 400 && Rack().FirmwareBlocks(5) == 0; ++i) std::this_thread::sleep_for(10ms);
    ASSERT_GT(Rack().FirmwareBlocks(5), 0u) << "the first module's upgrade began";
    write(20, 0xA5);  // the same name and version, other contents
    Ended run = Reap(upgrade, 60s);
    run.out = FileText(dir_ / "cli.out");
    run.err = FileText(dir_ / "cli.err");
    ExpectSound(run, "firmware upgrade");
    const Bytes first = Rack().FirmwareOf(5);
    EXPECT_TRUE(first == scanned || Rack().VersionOf(5) == 14) << "the first module has what was scanned, or nothing";
    EXPECT_EQ(Rack().FirmwareBlocks(6), 0u) << "nothing of the changed file was sent";
    EXPECT_EQ(Rack().VersionOf(6), 14);
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("its image file changed since it was scanned; nothing was sent"), std::string::npos)
        << run.err;
    // Scanned again, the new file goes to the module that still needs it.
    const Ended again = Cli({"firmware", "upgrade"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(Rack().VersionOf(6), 20);
}

}  // namespace
}  // namespace kelvane
