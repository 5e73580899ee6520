// The real programs: kxrsim on a pseudo-terminal, with an input made to lose its lock, and kelvane-cli watch
// running beside it until a signal ends it.

#include "tests/support/ChildProcess.h"
#include "tests/watch/ReadBack.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
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
        fs::remove_all(dir_);
    }

    void StartSimulator(std::vector<std::string> options = {}) {
        options.insert(options.begin(), {KXRSIM_PATH, "--link", link_});
        sim_ = Spawn(options, "/dev/null", dir_ / "kxrsim.err");
        ASSERT_GT(sim_, 0);
        for (int i = 0; i < 100 && !fs::exists(link_); ++i) std::this_thread::sleep_for(50ms);
        ASSERT_TRUE(fs::exists(link_)) << "kxrsim did not make its port: " << FileText(dir_ / "kxrsim.err");
    }

    void StopSimulator() {
        if (sim_ > 0) StopAndWait(sim_, SIGTERM);
        sim_ = -1;
    }

    void StartWatch(const std::vector<std::string>& options) {
        std::vector<std::string> argv{KELVANE_CLI_PATH, "watch"};
        argv.insert(argv.end(), options.begin(), options.end());
        watch_ = Spawn(argv, dir_ / "watch.out", dir_ / "watch.err", {}, {{"KELVANE_PORTS", link_}});
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
};

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
    EXPECT_TRUE(HasFact(metrics, "sample kelvane_rack_up{} 1.0")) << metrics.facts;
    EXPECT_TRUE(HasFact(metrics, "sample kelvane_input_locked{input=\"A\",row=\"1\"} 1.0")) << metrics.facts;
    EXPECT_TRUE(HasFact(metrics, "sample kelvane_poll_failures_total{} 0.0")) << metrics.facts;
    for (const auto& entry : fs::directory_iterator(dir_)) {
        EXPECT_EQ(entry.path().filename().string().find(".partial"), std::string::npos) << "left behind: " << entry.path();
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

}  // namespace
}  // namespace kelvane::test
