// The real programs: kxrsim on a pseudo-terminal, with an input made to lose its lock, and kelvane-cli watch
// running beside it until a signal ends it.

#include "tests/support/ChildProcess.h"
#include "tests/support/LocalListener.h"
#include "tests/watch/ReadBack.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <thread>

namespace kelvane::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string FileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The exit status of a process told to stop, or -1 when it did not end by itself within the bound.
int StopAndWait(pid_t pid, int signal) {
    kill(pid, signal);
    for (int i = 0; i < 200; ++i) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::this_thread::sleep_for(50ms);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

class WatchPrograms : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("kelvane-watch-e2e-" + std::to_string(getpid()));
        fs::create_directories(dir_);
        link_ = (dir_ / "rack").string();
    }
    void TearDown() override {
        if (watch_ > 0) StopAndWait(watch_, SIGKILL);
        StopSimulator();
        for (const pid_t other : otherSims_) StopAndWait(other, SIGTERM);
        fs::remove_all(dir_);
    }

    void StartSimulator(std::vector<std::string> options = {}) { sim_ = StartSimulatorAt(link_, std::move(options)); }

    // Another kxrsim, its port linked at `link`; stopped by the fixture.
    pid_t StartSimulatorAt(const std::string& link, std::vector<std::string> options = {}) {
        options.insert(options.begin(), {KXRSIM_PATH, "--link", link});
        const pid_t pid = Spawn(options, "/dev/null", dir_ / "kxrsim.err");
        EXPECT_GT(pid, 0);
        if (link != link_) otherSims_.push_back(pid);
        for (int i = 0; i < 100 && !fs::exists(link); ++i) std::this_thread::sleep_for(50ms);
        EXPECT_TRUE(fs::exists(link)) << "kxrsim did not make its port: " << FileText(dir_ / "kxrsim.err");
        return pid;
    }

    void StopSimulator() {
        if (sim_ > 0) StopAndWait(sim_, SIGTERM);
        sim_ = -1;
    }

    void StartWatch(const std::vector<std::string>& options) {
        std::vector<std::string> argv{KELVANE_CLI_PATH, "watch"};
        argv.insert(argv.end(), options.begin(), options.end());
        const std::string ports = ports_.empty() ? link_ : ports_;
        watch_ = Spawn(argv, dir_ / "watch.out", dir_ / "watch.err", {}, {{"KELVANE_PORTS", ports}});
        ASSERT_GT(watch_, 0);
    }

    // Waits, within a generous bound, until watch has told `text` on its error stream.
    bool WaitForAlarm(const std::string& text) {
        for (int i = 0; i < 600; ++i) {
            if (FileText(dir_ / "watch.err").find(text) != std::string::npos) return true;
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }

    int StopWatch(int signal) {
        const int status = StopAndWait(watch_, signal);
        watch_ = -1;
        return status;
    }

    // One `kelvane-cli watch --once ...` run to its end; its exit status.
    int Once(const std::vector<std::string>& options) {
        StartWatch(options);
        for (int i = 0; i < 600; ++i) {
            int status = 0;
            if (waitpid(watch_, &status, WNOHANG) == watch_) {
                watch_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(50ms);
        }
        return -1;
    }

    fs::path dir_;
    std::string link_;
    pid_t sim_ = -1;
    pid_t watch_ = -1;
    std::vector<pid_t> otherSims_;
    std::string ports_;  // KELVANE_PORTS for watch; empty: the first simulator's port
};

// The body of GET `path` from 127.0.0.1:`port`, or what went wrong.
std::string HttpGet(std::uint16_t port, const std::string& path) {
    const int fd = test::ConnectLocal(port);
    std::string reply;
    if (fd >= 0) {
        const std::string request = "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
        if (write(fd, request.data(), request.size()) == static_cast<ssize_t>(request.size())) {
            char buffer[4096];
            for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
                reply.append(buffer, static_cast<std::size_t>(n));
        }
        close(fd);
    }
    const std::size_t body = reply.find("\r\n\r\n");
    return reply.rfind("HTTP/1.1 200", 0) == 0 && body != std::string::npos ? reply.substr(body + 4)
                                                                            : "no answer: " + reply;
}

// Two racks by name, one watcher: one Prometheus file, and /metrics, hold both racks' series apart.
TEST_F(WatchPrograms, OneWatcherWritesTwoNamedRacksIntoOneFileAndServesThem) {
    const std::string second = (dir_ / "rack2").string();
    StartSimulator();
    StartSimulatorAt(second);
    ports_ = "Nord @ " + link_ + ";Sud \"2\" @ " + second;
    const fs::path prom = dir_ / "racks.prom";
    EXPECT_EQ(Once({"--once", "--all", "--prometheus", prom.string()}), 10) << FileText(dir_ / "watch.err");
    const ReadBack metrics = ReadWithPython("prometheus", FileText(prom));
    ASSERT_TRUE(metrics.parsed) << metrics.complaint;
    for (const char* rack : {"Nord", "Sud \\\"2\\\""}) {
        EXPECT_TRUE(HasFact(metrics, "sample kelvane_rack_up{rack=\"" + std::string(rack) + "\"} 1.0"))
            << metrics.facts;
        EXPECT_TRUE(HasFact(
            metrics, "sample kelvane_module_up{model=\"KXD400\",rack=\"" + std::string(rack) + "\",row=\"7\"} 1.0"));
    }
    EXPECT_NE(FileText(dir_ / "watch.out").find("[Sud \"2\"] row 7 KXD400 channel 1: "), std::string::npos);
    EXPECT_EQ(Once({"--once", "--rack", "Ouest"}), 1);
    EXPECT_NE(FileText(dir_ / "watch.err").find("no rack is named Ouest (named: Nord, Sud \"2\")"), std::string::npos);

    StartWatch({"--all", "--interval", "0.2", "--listen", "127.0.0.1:0"});
    ASSERT_TRUE(WaitForAlarm("/metrics")) << FileText(dir_ / "watch.err");
    const std::string err = FileText(dir_ / "watch.err");
    const std::size_t colon = err.find(':', err.find("http://127.0.0.1") + 5);
    const auto port = static_cast<std::uint16_t>(std::stoi(err.substr(colon + 1)));
    std::string body;
    // The first rack's first round may be served alone; the next text holds both.
    const auto both = [&body] {
        return body.find("{rack=\"Nord\"}") != std::string::npos && body.find("{rack=\"Sud") != std::string::npos;
    };
    for (int i = 0; i < 200 && !both(); ++i, std::this_thread::sleep_for(50ms)) {
        body = HttpGet(port, "/metrics");
    }
    EXPECT_NE(body.find("kelvane_rack_up{rack=\"Nord\"} 1"), std::string::npos) << body;
    EXPECT_NE(body.find("kelvane_rack_up{rack=\"Sud \\\"2\\\"\"} 1"), std::string::npos) << body;
    EXPECT_EQ(StopWatch(SIGTERM), 0);
}

TEST_F(WatchPrograms, LockLostAndRegainedAreToldThenSigintEndsItCleanly) {
    StartSimulator({"--lose-lock", "1:12:4"});
    const fs::path prom = dir_ / "kelvane.prom";
    StartWatch({"--interval", "0.1", "--json", "--prometheus", prom.string()});
    ASSERT_TRUE(WaitForAlarm("row 1 KXB200 input A: lock regained")) << FileText(dir_ / "watch.err");
    EXPECT_EQ(StopWatch(SIGINT), 0) << "SIGINT ends watch cleanly";

    const std::vector<std::string> alarms = Lines(FileText(dir_ / "watch.err"));
    std::vector<std::string> tuner;  // what was told of row 1's input, without the times
    for (const std::string& line : alarms) {
        ASSERT_GT(line.size(), 21u);
        EXPECT_EQ(line[10], 'T') << line;
        EXPECT_EQ(line[19], 'Z') << line;
        const std::string told = line.substr(21);
        if (told.rfind("row 1 KXB200 input A: ", 0) == 0) tuner.push_back(told.substr(22, told.find(" (") - 22));
    }
    EXPECT_EQ(tuner, (std::vector<std::string>{"not locked", "locked", "lock lost", "lock regained"}))
        << FileText(dir_ / "watch.err");

    const ReadBack metrics = ReadWithPython("prometheus", FileText(prom));
    ASSERT_TRUE(metrics.parsed) << metrics.complaint;
    const std::string rack = "rack=\"" + link_ + "\"";
    EXPECT_TRUE(HasFact(metrics, "sample kelvane_rack_up{" + rack + "} 1.0")) << metrics.facts;
    EXPECT_TRUE(HasFact(metrics, "sample kelvane_input_locked{input=\"A\"," + rack + ",row=\"1\"} 1.0"))
        << metrics.facts;
    EXPECT_TRUE(HasFact(metrics, "sample kelvane_poll_failures_total{" + rack + "} 0.0")) << metrics.facts;
    for (const auto& entry : fs::directory_iterator(dir_)) {
        EXPECT_EQ(entry.path().filename().string().find(".partial"), std::string::npos)
            << "left behind: " << entry.path();
    }
    const ReadBack rounds = ReadWithPython("json", FileText(dir_ / "watch.out"));
    ASSERT_TRUE(rounds.parsed) << rounds.complaint;
    EXPECT_TRUE(HasFact(rounds, "0:rack.port=\"" + link_ + "\"")) << rounds.facts.substr(0, 2000);
}

TEST_F(WatchPrograms, LostRackIsSearchedForAndWatchingResumesThenSigtermEndsIt) {
    StartSimulator();
    StartWatch({"--interval", "0.1"});
    ASSERT_TRUE(WaitForAlarm("row 6 KXB210 input A: locked")) << FileText(dir_ / "watch.err");
    kill(sim_, SIGUSR1);  // the cable pulled
    ASSERT_TRUE(WaitForAlarm("rack lost: searching")) << FileText(dir_ / "watch.err");
    StopSimulator();
    StartSimulator();  // another rack on the same port
    ASSERT_TRUE(WaitForAlarm("rack found again on " + link_)) << FileText(dir_ / "watch.err");
    ASSERT_TRUE(WaitForAlarm("row 6 KXB210 input A: lock lost")) << "the new rack's tuners start searching again";
    EXPECT_EQ(StopWatch(SIGTERM), 0);
    const std::string out = FileText(dir_ / "watch.out");
    EXPECT_NE(out.find("rack lost: searching"), std::string::npos);
    EXPECT_NE(out.rfind("row 7 KXD400 channel 1: "), std::string::npos);
    EXPECT_GT(out.rfind("row 7 KXD400 channel 1: "), out.find("rack lost: searching")) << "rounds resumed";
}

TEST_F(WatchPrograms, OnceExitsTenUntilEverythingIsLockedThenZero) {
    StartSimulator();
    EXPECT_EQ(Once({"--once"}), 10) << "fresh tuners are searching\n" << FileText(dir_ / "watch.err");
    int status = -1;
    for (int run = 0; run < 10 && status != 0; ++run) status = Once({"--once"});
    EXPECT_EQ(status, 0) << "each run polls once more, and the tuners lock\n" << FileText(dir_ / "watch.err");
    EXPECT_NE(FileText(dir_ / "watch.out").find("row 1 KXB200 input A: locked"), std::string::npos);
    EXPECT_EQ(Once({"--once", "--rows", "2"}), 1);
    EXPECT_NE(FileText(dir_ / "watch.err").find("row 2 is not part of an input/output pair"), std::string::npos);
    StopSimulator();
    EXPECT_EQ(Once({"--once"}), 2) << FileText(dir_ / "watch.err");
}

// The watcher lets go of the line between rounds: commands run meanwhile get it (waiting for a round's end when
// they must), and a line another program locks is a rack in use, watched again once free.
TEST_F(WatchPrograms, CommandsRunBetweenRoundsAndALockedLineIsInUseNotLost) {
    StartSimulator();
    StartWatch({"--interval", "0.3"});
    ASSERT_TRUE(WaitForAlarm("row 6 KXB210 input A: locked")) << FileText(dir_ / "watch.err");
    for (int run = 0; run < 4; ++run) {
        SCOPED_TRACE(run);
        const pid_t cli = Spawn({KELVANE_CLI_PATH, "modules"}, dir_ / "modules.out", dir_ / "modules.err", {},
                                {{"KELVANE_PORTS", link_}});
        int status = -1;
        bool ended = false;
        for (int i = 0; i < 400 && !ended; ++i) {
            ended = waitpid(cli, &status, WNOHANG) == cli;
            if (!ended) std::this_thread::sleep_for(50ms);
        }
        if (!ended) StopAndWait(cli, SIGKILL);
        ASSERT_TRUE(ended && WIFEXITED(status)) << "kelvane-cli modules did not end";
        EXPECT_EQ(WEXITSTATUS(status), 0) << FileText(dir_ / "modules.err");
        EXPECT_NE(FileText(dir_ / "modules.out").find("KXB210"), std::string::npos);
    }
    // Another program takes the line as the POSIX port does, with flock, once a round has let it go.
    int held = -1;
    bool locked = false;
    for (int i = 0; i < 200 && !locked; ++i) {
        if (held < 0) held = open(link_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        locked = held >= 0 && flock(held, LOCK_EX | LOCK_NB) == 0;
        if (!locked) std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(locked) << "the line never came free between rounds";
    const auto inUseLines = [&] {
        const std::string out = FileText(dir_ / "watch.out");
        std::size_t count = 0;
        for (std::size_t at = out.find("in use by another program"); at != std::string::npos;
             at = out.find("in use by another program", at + 1)) {
            ++count;
        }
        return count;
    };
    for (int i = 0; i < 200 && inUseLines() < 2; ++i) std::this_thread::sleep_for(50ms);
    EXPECT_GE(inUseLines(), 2u) << FileText(dir_ / "watch.out");
    close(held);
    const std::size_t before = FileText(dir_ / "watch.out").size();
    for (int i = 0; i < 200 && FileText(dir_ / "watch.out").find("channel 1: ", before) == std::string::npos; ++i) {
        std::this_thread::sleep_for(50ms);
    }
    EXPECT_NE(FileText(dir_ / "watch.out").find("channel 1: ", before), std::string::npos) << "watched again once free";
    EXPECT_EQ(StopWatch(SIGTERM), 0);
    EXPECT_EQ(FileText(dir_ / "watch.err").find("rack lost"), std::string::npos) << FileText(dir_ / "watch.err");
}

}  // namespace
}  // namespace kelvane::test
