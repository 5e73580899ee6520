// One watcher for many racks: N simulated racks paced at 115,200 baud, each on a pseudo-terminal of its own,
// watched at a 1 s interval by one watch in this process for a fixed time. The racks run in a child process, so
// that this process's CPU time and peak memory are the watcher's alone. Reports the CPU share of one core over
// the measured stretch, the peak resident memory (ru_maxrss) and the longest round, against the goals: within
// 2 % of a core and 30 MB, every round inside its interval. Run by scripts/bench.sh.

#include "bench/ResourceUsage.h"
#include "link/Xmit.h"
#include "platform/NativePorts.h"
#include "platform/SystemClock.h"
#include "sim/DefaultRack.h"
#include "sim/RackSimulator.h"
#include "tools/common/ToolContext.h"
#include "tools/watch/WatchCommand.h"
#include "tools/watch/WatchOutput.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kelvane {
namespace {

namespace fs = std::filesystem;

constexpr double kMaxCoreShare = 0.02;
constexpr double kMaxPeakMb = 30.0;
constexpr std::uint32_t kIntervalMs = 1000;

struct Settings {
    int racks = 24;
    int seconds = 60;
    int warmUpSeconds = 10;  // discovery of every rack and the first rounds are left out of the CPU figure
    bool file = true;  // the Prometheus file written, as node_exporter's textfile collector wants
};

// The real output, to nowhere but the Prometheus file, timing every round on the way.
class TimedOutput final : public WatchOutput {
public:
    TimedOutput(std::size_t racks, const WatchOptions& options) : inner_(null_, null_, racks, options, nullptr) {}
    void Alarm(const std::string& line) override { inner_.Alarm(line); }
    bool Show(std::size_t rack, const WatchRound& round) override {
        {
            std::lock_guard lock(mutex_);
            if (measuring) {
                longestMs = std::max(longestMs, round.durationMs);
                ++rounds;
                if (!round.rackFound) ++lost;
            }
        }
        return inner_.Show(rack, round);
    }
    bool Record(std::size_t rack, const WatchRound& round) override { return inner_.Record(rack, round); }

    std::atomic<bool> measuring{false};
    std::uint32_t longestMs = 0;
    std::size_t rounds = 0;
    std::size_t lost = 0;

private:
    std::mutex mutex_;
    std::ostringstream null_;
    SharedRackOutput inner_;
};

// The child: N paced racks, until the parent closes the pipe.
[[noreturn]] void ServeRacks(const Settings& s, const fs::path& dir, int ready, int done) {
    std::vector<std::unique_ptr<sim::RackSimulator>> racks;
    for (int k = 0; k < s.racks; ++k) {
        racks.push_back(std::make_unique<sim::RackSimulator>(sim::DefaultRack(), sim::FaultOptions{}, true));
        std::string error;
        if (!racks.back()->Start(error, (dir / ("rack" + std::to_string(k))).string())) {
            std::cerr << "kelvane_watch_bench: " << error << '\n';
            _exit(1);
        }
    }
    char byte = 1;
    if (write(ready, &byte, 1) != 1) _exit(1);
    while (read(done, &byte, 1) > 0) {
    }
    racks.clear();
    _exit(0);
}

bool Measure(const Settings& s, const fs::path& dir) {
    SystemClock clock;
    std::vector<std::string> entries;
    for (int k = 0; k < s.racks; ++k)
        entries.push_back("rack " + std::to_string(k) + " @ " + (dir / ("rack" + std::to_string(k))).string());
    const auto ports = MakeNativePortOpener(entries.front(), dir);
    CXmit link(*ports, clock);
    std::ostringstream out, err;
    CliContext cli{link, *ports, clock, out, err, dir, false, {}, {}, entries, [&dir](const std::string& entry) {
                       return MakeNativePortOpener(entry, dir);
                   }};
    WatchOptions options;
    options.intervalMs = kIntervalMs;
    if (s.file) options.prometheusFile = (dir / "racks.prom").string();
    TimedOutput output(entries.size(), options);
    std::atomic<bool> stop{false};
    std::thread watcher([&] { WatchRacks(cli, options, output, [&] { return !stop.load(); }); });
    std::this_thread::sleep_for(std::chrono::seconds(s.warmUpSeconds));
    output.measuring = true;
    const double cpuStart = bench::CpuSeconds(RUSAGE_SELF);
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(s.seconds));
    const double cpu = bench::CpuSeconds(RUSAGE_SELF) - cpuStart;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    output.measuring = false;
    stop = true;
    watcher.join();
    const double share = cpu / wall;
    const double peak = bench::PeakMegabytes();
    const bool inside = output.longestMs < kIntervalMs && output.lost == 0;
    std::printf("racks %d, interval %u ms, measured %.1f s after %d s of warm-up\n", s.racks, kIntervalMs, wall,
                s.warmUpSeconds);
    std::printf("rounds %zu (rack lost in %zu), longest round %u ms%s\n", output.rounds, output.lost, output.longestMs,
                inside ? "" : "  GOAL MISSED");
    std::printf("cpu %.3f s = %.2f %% of one core (goal %.0f %%)%s\n", cpu, share * 100, kMaxCoreShare * 100,
                share <= kMaxCoreShare ? "" : "  GOAL MISSED");
    std::printf("peak memory %.1f MB (goal %.0f MB)%s\n", peak, kMaxPeakMb, peak <= kMaxPeakMb ? "" : "  GOAL MISSED");
    const std::size_t expected = static_cast<std::size_t>(s.racks) * static_cast<std::size_t>(s.seconds);
    if (output.rounds + static_cast<std::size_t>(s.racks) < expected)
        std::printf("fewer rounds than the interval asks: GOAL MISSED\n");
    return inside && share <= kMaxCoreShare && peak <= kMaxPeakMb &&
           output.rounds + static_cast<std::size_t>(s.racks) >= expected;
}

}  // namespace
}  // namespace kelvane

int main(int argc, char** argv) {
    using namespace kelvane;
    Settings s;
    for (int k = 1; k < argc; k += 2) {
        const std::string option = argv[k];
        if (option == "--no-file") {
            s.file = false;
            --k;
            continue;
        }
        if (k + 1 >= argc) return 2;
        const int value = std::atoi(argv[k + 1]);
        if (option == "--racks" && value > 0 && value <= 200)
            s.racks = value;
        else if (option == "--seconds" && value > 0)
            s.seconds = value;
        else if (option == "--warm-up" && value >= 0)
            s.warmUpSeconds = value;
        else {
            std::cerr << "usage: kelvane_watch_bench [--racks N] [--seconds S] [--warm-up S] [--no-file]\n";
            return 2;
        }
    }
    const fs::path dir = fs::temp_directory_path() / ("kelvane-watch-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    int ready[2], done[2];
    if (pipe(ready) != 0 || pipe(done) != 0) return 1;
    const pid_t child = fork();
    if (child == 0) {
        close(ready[0]);
        close(done[1]);
        ServeRacks(s, dir, ready[1], done[0]);
    }
    close(ready[1]);
    close(done[0]);
    char byte = 0;
    bool ok = read(ready[0], &byte, 1) == 1;
    std::cout << "kelvane watch benchmark: " << s.racks << " kxrsim racks paced at 115200 baud in a child process, one "
              << "watcher for all in this one\n";
    if (ok) ok = Measure(s, dir);
    close(done[1]);
    waitpid(child, nullptr, 0);
    fs::remove_all(dir);
    return ok ? 0 : 1;
}
