// kelvane-cli and the link against kxrsim over a real pseudo-terminal.

#include "app/DiscoveryExchanges.h"
#include "app/MessageCatalogue.h"
#include "app/TextFormat.h"
#include "link/Xmit.h"
#include "platform/posix/PosixSerialPort.h"
#include "sim/DefaultRack.h"
#include "tests/support/LocalListener.h"
#include "tests/support/PtyRack.h"
#include "tests/support/ScriptedPort.h"
#include "tools/cli/CliCommands.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kelvane {
namespace {
namespace fs = std::filesystem;

using test::CliRun;

class CliAgainstSimulator : public ::testing::Test {
protected:
    void StartRack(sim::RackDescription rack = sim::DefaultRack(), sim::FaultOptions faults = {}) {
        pty_ = std::make_unique<test::PtyRack>(std::move(rack), faults);
        pty_->Start();
    }

    sim::RackSimulator& Rack() { return pty_->simulator; }
    // The program's side of the line: the same objects kelvane-cli builds, on the simulator's port.
    CXmit& Link() { return pty_->link; }
    CliRun Run(int (*command)(CliContext&)) {
        return test::RunCliIn(pty_->link, pty_->ports, pty_->clock, fs::temp_directory_path(), command);
    }

    void TearDown() override { pty_.reset(); }

private:
    std::unique_ptr<test::PtyRack> pty_;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST_F(CliAgainstSimulator, ModulesListsTheDefaultRackInSlotOrder) {
    StartRack();
    const CliRun run = Run(RunModules);
    ASSERT_EQ(run.status, kCliOk) << run.err;
    EXPECT_EQ(run.err, "");

    const auto lines = Lines(run.out);
    const sim::RackDescription rack = sim::DefaultRack();
    ASSERT_EQ(lines.size(), rack.modules.size() + 2);  // heading and the controller
    EXPECT_NE(lines[1].find("KXA100"), std::string::npos) << lines[1];
    const char* models[] = {"", "KXB200", "KXD400", "KXF600", "KXB210", "KXD410", "KXD420", "KXC300", "KXE500"};
    for (std::size_t k = 0; k < rack.modules.size(); ++k) {
        const sim::ModuleDescription& module = rack.modules[k];
        std::istringstream fields(lines[k + 2]);
        int row, address, type;
        std::string model, version;
        std::size_t length;
        fields >> row >> address >> type >> model >> version >> length;
        EXPECT_EQ(row, static_cast<int>(k + 1));
        EXPECT_EQ(address, module.address);
        EXPECT_EQ(type, module.type);
        EXPECT_EQ(model, models[module.type]);
        EXPECT_EQ(version, "V" + std::to_string(module.version / 10) + "." + std::to_string(module.version % 10));
        EXPECT_EQ(length, Rack().ConfigOf(module.address).size()) << model;
    }
}

TEST_F(CliAgainstSimulator, FindNamesThePortAndTheController) {
    sim::RackDescription rack = sim::DefaultRack();
    rack.controllerVersion = 23;
    StartRack(rack);
    const CliRun run = Run(RunFind);
    ASSERT_EQ(run.status, kCliOk) << run.err;
    EXPECT_NE(run.out.find(Rack().PortPath()), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("KXA100 V2.3"), std::string::npos) << run.out;
}

TEST_F(CliAgainstSimulator, ConfigurationImagesArriveByteForByte) {
    StartRack();
    ASSERT_TRUE(Link().FindPort());
    SlotTable table;
    const DiscoveryReport report = RunDiscoveryExchanges(Link(), table);
    ASSERT_FALSE(report.inactiveRow);
    for (std::size_t row = 1; row < table.ModuleCount; ++row) {
        const auto expected = Rack().ConfigOf(table[row].Address);
        const auto image = table[row].ConfigImage();
        EXPECT_EQ(std::vector<std::uint8_t>(image.begin(), image.end()), expected) << "row " << row;
    }
}

TEST_F(CliAgainstSimulator, DroppedCorruptedAndRefusedRepliesAreRecoveredByRetries) {
    for (const auto set :
         {&sim::FaultOptions::dropShare, &sim::FaultOptions::corruptShare, &sim::FaultOptions::refuseShare}) {
        sim::FaultOptions faults;
        faults.*set = 0.5;  // every second reply: never twice in a row
        StartRack(sim::DefaultRack(), faults);
        const CliRun run = Run(RunModules);
        EXPECT_EQ(run.status, kCliOk) << run.err;
        EXPECT_FALSE(Link().LinkLost() && run.status != kCliOk);
        TearDown();
    }
}

TEST_F(CliAgainstSimulator, SilentRackIsNotFoundAndLosesTheLink) {
    sim::FaultOptions faults;
    faults.silent = true;
    StartRack(sim::DefaultRack(), faults);
    const CliRun run = Run(RunFind);
    EXPECT_EQ(run.status, kCliRackNotFound);
    EXPECT_NE(run.err.find("no rack"), std::string::npos) << run.err;
    EXPECT_TRUE(Link().LinkLost());
}

TEST_F(CliAgainstSimulator, RackFallingSilentSetsLinkLost) {
    StartRack();
    ASSERT_TRUE(Link().FindPort());
    ASSERT_TRUE(Link().XmitRequest({}, 0, 0x10, 10));
    EXPECT_FALSE(Link().LinkLost());

    sim::FaultOptions faults;
    faults.silent = true;
    Rack().SetFaults(faults);
    EXPECT_FALSE(Link().XmitRequest({}, 0, 0x10, 10));
    EXPECT_TRUE(Link().LinkLost());
}

TEST_F(CliAgainstSimulator, ClosedTerminalFailsRequests) {
    StartRack();
    ASSERT_TRUE(Link().FindPort());
    Rack().CloseTerminal();
    EXPECT_FALSE(Link().XmitRequest({}, 0, 0x10, 10));
    EXPECT_TRUE(Link().LinkLost());
}

TEST_F(CliAgainstSimulator, InactiveModuleIsReportedWithNonZeroStatus) {
    sim::RackDescription rack = sim::DefaultRack();
    rack.modules[2].active = false;
    StartRack(rack);
    const CliRun run = Run(RunModules);
    EXPECT_EQ(run.status, kCliInactiveModule);
    EXPECT_NE(run.err.find("inactive module in row 3"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("it reports itself inactive"), std::string::npos) << run.err;
}

// A module that never answers is told apart from one that answers that it is inactive: scripted, since the
// simulator's modules always answer.
TEST(CliModules, ASilentModuleIsNotCalledInactive) {
    using test::Identity;
    using test::ReplyFrame;
    const test::ScriptedPort::Reaction list = test::Accept({0x05, 1, 14});
    struct Case {
        test::ScriptedPort::Reaction answer;
        int status;
        const char* said;
    };
    const Case cases[] = {
        {{},
         kCliIncomplete,
         "kelvane-cli: module in row 1 (address 5, KXB200): it did not answer (no reply after three tries)\n"},
        {Identity(14, 0xFF), kCliInactiveModule,
         "kelvane-cli: inactive module in row 1 (address 5, KXB200): it reports itself inactive\n"},
        {{ReplyFrame(0xF0, {'x', 0, 14})},
         kCliInactiveModule,
         "kelvane-cli: inactive module in row 1 (address 5, KXB200): it answered, but not as a module of the rack "
         "(no identity mark)\n"},
    };
    for (const Case& c : cases) {
        VirtualClock clock;
        test::ScriptedPortOpener ports{clock};
        // The search's probe, the controller's probe and list, the controller again, then the module three times.
        ports.Install(0, {Identity(14), Identity(14), list, Identity(14), c.answer, c.answer, c.answer});
        CXmit link{ports, clock};
        const CliRun run = test::RunCliIn(link, ports, clock, fs::temp_directory_path(), RunModules);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.err, c.said);
    }
}

TEST_F(CliAgainstSimulator, LateAnswersWithinTheTimeOutStillCount) {
    sim::FaultOptions faults;
    faults.lateMs = 40;
    StartRack(sim::DefaultRack(), faults);
    EXPECT_EQ(Run(RunModules).status, kCliOk);
}

// The real programs, as ./run starts them: kxrsim on a pseudo-terminal behind a symlink, and kelvane-cli.
class Programs : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("kelvane-e2e-" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        StopSimulator();
        fs::remove_all(dir_);
    }

    // Starts kxrsim with the given options and waits for its port to appear.
    void StartSimulator(std::vector<std::string> options) {
        link_ = (dir_ / "rack").string();
        options.insert(options.begin(), {KXRSIM_PATH, "--link", link_});
        sim_ = fork();
        ASSERT_GE(sim_, 0);
        if (sim_ == 0) {
            std::vector<char*> argv;
            for (auto& o : options) argv.push_back(o.data());
            argv.push_back(nullptr);
            freopen("/dev/null", "w", stdout);
            execv(argv[0], argv.data());
            _exit(127);
        }
        for (int i = 0; i < 100 && !fs::exists(link_); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_TRUE(fs::exists(link_)) << "kxrsim did not make its port";
    }

    void StopSimulator() {
        if (sim_ <= 0) return;
        kill(sim_, SIGTERM);
        waitpid(sim_, nullptr, 0);
        sim_ = -1;
        fs::remove(link_);
    }

    CliRun RunCli(const std::string& command) {
        return RunLine("KELVANE_PORTS='" + link_ + "' " KELVANE_CLI_PATH " " + command);
    }

    // In the test's folder, with the environment given (assignments before the program).
    CliRun RunCliIn(const std::string& environment, const std::string& command) {
        return RunLine("cd '" + dir_.string() + "' && " + environment + " " KELVANE_CLI_PATH " " + command);
    }

    CliRun RunLine(const std::string& command) { return test::RunCliProgram(command, dir_ / "err"); }

    fs::path dir_;
    std::string link_;
    pid_t sim_ = -1;
};

TEST_F(Programs, CliListsTheSimulatedRack) {
    StartSimulator({});
    const CliRun run = RunCli("modules");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("KXD420"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("KXC300"), std::string::npos) << run.out;
}

TEST_F(Programs, CliOnALinePacedAtTheLineRate) {
    const fs::path rackFile = dir_ / "small.rack";
    {
        std::ofstream rack(rackFile);
        sim::RackDescription small;
        small.modules.push_back({1, 0x21, 14, true, {0x07, 0xD0, 0x6B, 0x6C, 0x10, 0x01, 0x00, 0x65, 0x00}});
        small.modules.push_back({2, 0x22, 22, true, {0x0E, 0xD0, 0x02, 0x02, 0x02, 0x01, 0x00, 0xFF}});
        rack << sim::FormatRackDescription(small);
    }
    StartSimulator({"--paced", "--rack", rackFile.string()});
    const CliRun run = RunCli("modules");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("KXB200"), std::string::npos) << run.out;
}

// Replies that leave the rack long after their request's time-out (and hold back the echoes behind them): every
// late reply is the answer to an earlier request, never taken for the next one's, and the file saved is the one
// saved from a rack that answers at once.
TEST_F(Programs, CliSaveOfARackThatAnswersLateIsTheWholeRack) {
    const fs::path rackFile = dir_ / "small.rack";
    {
        sim::RackDescription small;
        small.modules.push_back({1, 0x21, 14, true, {0x07, 0xD0, 0x6B, 0x6C, 0x10, 0x01, 0x00, 0x65, 0x00}});
        small.modules.push_back({2, 0x22, 22, true, {0x0E, 0xD0, 0x02, 0x02, 0x02, 0x01, 0x00, 0xFF}});
        std::ofstream(rackFile) << sim::FormatRackDescription(small);
    }
    StartSimulator({"--rack", rackFile.string()});
    const CliRun prompt = RunCli("save '" + (dir_ / "prompt.kcf").string() + "'");
    ASSERT_EQ(prompt.status, 0) << prompt.err;
    StopSimulator();

    StartSimulator({"--rack", rackFile.string(), "--late", "250"});
    const CliRun late = RunCli("save '" + (dir_ / "late.kcf").string() + "'");
    EXPECT_EQ(late.status, 0) << late.out << late.err;
    const auto contents = [](const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_EQ(contents(dir_ / "late.kcf"), contents(dir_ / "prompt.kcf"));
    EXPECT_NE(contents(dir_ / "late.kcf"), "");
}

TEST_F(Programs, CliSetOfAnImageThatWasNeverReadWritesNothingAndExitsNine) {
    const fs::path rackFile = dir_ / "short.rack";
    {
        std::ofstream rack(rackFile);
        sim::RackDescription description = sim::DefaultRack();
        description.modules[6].config.resize(5);  // the KXD400's image, cut short
        rack << sim::FormatRackDescription(description);
    }
    StartSimulator({"--rack", rackFile.string()});
    const CliRun run = RunCli("set 7 level=20");
    EXPECT_EQ(run.status, 9) << run.err;
    EXPECT_NE(run.err.find("KXD400 in row 7: its configuration could not be read"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    // The rack still holds the five bytes: the last field of its row in the module list.
    const CliRun modules = RunCli("modules");
    const std::size_t at = modules.out.find("KXD400");
    ASSERT_NE(at, std::string::npos) << modules.out;
    const std::string line = modules.out.substr(at, modules.out.find('\n', at) - at);
    EXPECT_EQ(line.substr(line.find_last_of(' ') + 1), "5") << line;
}

TEST_F(Programs, CliWithoutARackSaysSo) {
    link_ = (dir_ / "no-such-port").string();
    const CliRun run = RunCli("find");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("no rack answered"), std::string::npos) << run.err;
}

TEST_F(Programs, CliNamesAPortHeldByAnotherProgram) {
    StartSimulator({});
    // This test holds the rack's port as another program would.
    auto holder = PosixSerialPort::Open(link_);
    ASSERT_NE(holder, nullptr);
    // Every command that searches names the port, in the same language as the rest of its error.
    for (const char* command : {"--wait-busy 0.5 find", "watch --once"}) {
        SCOPED_TRACE(command);
        const CliRun run = RunCli(command);
        EXPECT_EQ(run.status, kCliPortBusy) << run.err;
        EXPECT_NE(run.err.find(FormatText(MessageText(kPortBusyMessage, kEnglish), {link_})), std::string::npos)
            << run.err;
        EXPECT_NE(run.err.find("no rack answered"), std::string::npos) << run.err;
    }

    holder.reset();
    EXPECT_EQ(RunCli("find").status, kCliOk);
}

TEST_F(Programs, CliSaysWhatIsWrongWithAPortEntryAndTakesItAlone) {
    const CliRun bad = RunCli("--port tcp:rack-site find");
    EXPECT_EQ(bad.status, kCliUsage);
    EXPECT_NE(bad.err.find("--port tcp:rack-site: no port number after the host"), std::string::npos) << bad.err;

    // The entry replaces the table that KELVANE_PORTS gave.
    StartSimulator({});
    EXPECT_EQ(RunCli("find").status, kCliOk);
    const CliRun elsewhere = RunCli("--port " + (dir_ / "no-such-port").string() + " find");
    EXPECT_EQ(elsewhere.status, kCliRackNotFound) << elsewhere.out;
}

// Every port that gave no rack is named with its reason, one line each, the --port entry in the headline; a
// KELVANE_PORTS that names no usable port is refused before any search.
TEST_F(Programs, CliTellsWhyEachPortGaveNoRack) {
    std::ofstream(dir_ / "pref.txt") << "EN\n";
    std::ofstream(dir_ / "plain-file") << "x";
    test::Listener banner;
    const std::uint16_t closed = test::Listener().Port();
    std::thread server([&] {
        const int fd = banner.Accept();
        if (fd < 0) return;
        const char words[] = "Port's device already in use\r\n";
        send(fd, words, sizeof words - 1, MSG_NOSIGNAL);
        ::close(fd);
    });
    const std::string bannerEntry = "tcp:127.0.0.1:" + std::to_string(banner.Port());
    const std::string closedEntry = "tcp:127.0.0.1:" + std::to_string(closed);
    const std::string file = (dir_ / "plain-file").string();
    const struct {
        std::string entry;
        int status;
        std::string reason;
    } cases[] = {
        {"/nonexistent/ttyUSB9", kCliRackNotFound, "/nonexistent/ttyUSB9: no such device"},
        {file, kCliRackNotFound, file + ": not a serial port"},
        {closedEntry, kCliRackNotFound, closedEntry + ": connection refused"},
        {"tcp:no-such-host.invalid:2000", kCliRackNotFound, "tcp:no-such-host.invalid:2000: unknown host"},
        {bannerEntry, kCliPortBusy, bannerEntry + ": the server's device is in use (\"Port's device already in use\")"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        const CliRun run = RunCliIn("", "--wait-busy 0 --port " + c.entry + " find");  // the server answers once
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(run.err, "kelvane-cli: no rack answered on --port " + c.entry + "\nkelvane-cli: " + c.reason + "\n");
    }
    server.join();

    const struct {
        std::string list;
        std::string said;
    } refused[] = {
        {"", "kelvane-cli: KELVANE_PORTS is set but names no port\n"},
        {"/dev/ttyUSB0;tcp:rack-site",
         "kelvane-cli: KELVANE_PORTS entry tcp:rack-site: no port number after the host\n"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.list);
        const CliRun run = RunCliIn("KELVANE_PORTS='" + r.list + "'", "find");
        EXPECT_EQ(run.status, kCliUsage);
        EXPECT_EQ(run.err, r.said);
    }
}

TEST_F(Programs, CliRefusesUnknownCommands) {
    const CliRun run = RunCli("frobnicate");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("unknown command"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace kelvane
