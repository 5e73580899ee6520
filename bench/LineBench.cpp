// How close the link comes to the line: each piece of work runs against kxrsim paced at 115,200 baud, in this
// process but over its real pseudo-terminal, and is set against the wire time of the bytes it exchanged. The
// simulator counts them: every byte the program wrote and every reply byte the rack sent, at 86.8 µs a byte (the
// echo comes back while the request goes out, so it adds no time of its own). Run by scripts/bench.sh.

#include "app/DiscoveryExchanges.h"
#include "app/SlotTable.h"
#include "bench/ResourceUsage.h"
#include "bench/Ser2netServer.h"
#include "config/FirmwareUpdate.h"
#include "link/RequestCodes.h"
#include "link/Xmit.h"
#include "panel/StatusReplies.h"
#include "platform/NativePorts.h"
#include "platform/SystemClock.h"
#include "platform/posix/PortTable.h"
#include "sim/DefaultRack.h"
#include "sim/RackSimulator.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/utsname.h>
#include <thread>
#include <vector>

namespace kelvane {
namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr double kByteMs = 10.0 / 115200.0 * 1000.0;
constexpr std::size_t kFirmwareSize = 64 * 1024;

// The 13 rows of a full module list: the controller and twelve modules, the default rack's seven and copies of
// its first five at addresses 8 to 12.
sim::RackDescription FullRack() {
    sim::RackDescription rack = sim::DefaultRack();
    const std::size_t first = rack.modules.size();
    for (std::size_t k = 0; k < 5; ++k) {
        sim::ModuleDescription copy = rack.modules[k];
        copy.address = static_cast<std::uint8_t>(first + k + 1);
        rack.modules.push_back(copy);
    }
    return rack;
}

// A firmware image with no blank block, so that every block goes on the line.
std::vector<std::uint8_t> FirmwareImage() {
    std::vector<std::uint8_t> image(kFirmwareSize);
    std::uint32_t seed = 12345;
    for (std::uint8_t& byte : image) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(seed >> 16);
    }
    return image;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 != 0 ? values[mid] : (values[mid - 1] + values[mid]) / 2.0;
}

// One run of one piece of work.
struct Sample {
    bool ok = false;
    std::size_t exchanges = 0;
    std::size_t bytes = 0;  // on the wire: written by the program and sent by the rack
    double measuredMs = 0;
    double cpuS = 0;  // this thread's (the link's) user and system time
    double simLateMs = 0;  // how late the simulator itself delivered the ends of the replies
    double BoundMs() const { return static_cast<double>(bytes) * kByteMs; }
};

// The program's side of the line, opened on a running simulator.
class Session {
public:
    explicit Session(sim::RackSimulator& rack)
        : Session(rack, std::make_unique<PortTable>(PortTable({rack.PortPath()}))) {}
    // Reaching the rack through a port-table entry, such as a serial server's.
    Session(sim::RackSimulator& rack, std::unique_ptr<PortOpener> ports)
        : rack_(rack), ports_(std::move(ports)), link_(*ports_, clock_) {}

    CXmit& Link() { return link_; }
    SlotTable& Table() { return table_; }

    Sample Measure(const std::function<bool()>& work) {
        const sim::LineTraffic before = rack_.Traffic();
        const std::size_t requestsBefore = rack_.RequestCount();
        const double cpuBefore = bench::CpuSeconds(RUSAGE_THREAD);
        const auto start = SteadyClock::now();
        Sample s;
        s.ok = work();
        s.measuredMs = std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count();
        s.cpuS = bench::CpuSeconds(RUSAGE_THREAD) - cpuBefore;
        const sim::LineTraffic after = rack_.Traffic();
        s.bytes = (after.fromPc - before.fromPc) + (after.replyBytes - before.replyBytes);
        s.exchanges = rack_.RequestCount() - requestsBefore;
        s.simLateMs = std::chrono::duration<double, std::milli>(after.repliesLate - before.repliesLate).count();
        return s;
    }

private:
    sim::RackSimulator& rack_;
    std::unique_ptr<PortOpener> ports_;
    SystemClock clock_;
    CXmit link_;
    SlotTable table_;
};

struct Work {
    std::string name;
    int runs;
    std::optional<double> goal;  // the least ratio asked for, without an adapter
    std::function<void(Session&)> prepare;
    std::function<bool(Session&)> run;
};

bool Discover(Session& s) {
    if (!s.Link().FindPort()) return false;
    const DiscoveryReport report = RunDiscoveryExchanges(s.Link(), s.Table());
    return report.moduleListRead && !report.inactiveRow;
}

std::vector<Work> Works(const std::vector<std::uint8_t>& image, int runs, int upgradeRuns) {
    // The default rack's first input (KXB200 at 1) feeds the output at 3 through the CI module.
    constexpr std::uint8_t kInput = 1;
    constexpr std::uint8_t kOutput = 3;
    constexpr std::uint8_t kUpgraded = 6;  // a KXB210: its image goes backwards, block by block
    const auto needPort = [](Session& s) {
        if (!s.Link().PortOpen()) Discover(s);
    };
    const auto started = [needPort](Session& s) {
        needPort(s);
        SendFirmwareStart(s.Link(), kUpgraded);
    };
    std::vector<Work> works;
    works.push_back({"discovery, 13 rows (find + list + probes + configs)", runs, 0.90,
                     [](Session& s) { s.Link().ClosePort(); }, Discover});
    works.push_back({"identity probe cycle", runs * 4, 0.85, needPort,
                     [](Session& s) { return ProbeIdentity(s.Link(), kInput).has_value(); }});
    works.push_back(
        {"panel status poll (input status + output rates)", runs * 4, std::nullopt, needPort, [](Session& s) {
             CXmit& link = s.Link();
             if (!link.XmitRequest({}, kInput, kStatusCommand, kStatusTimeout)) return false;
             const InputStatus status = ParseInputStatus(link.Reply(), 1);
             if (!link.XmitRequest({}, kOutput, kListCommand, kListTimeout)) return false;
             const OutputRates rates = ParseOutputRates(link.Reply(), 2, 5);
             return status.rows > 0 && !rates.channels.empty();
         }});
    works.push_back({"configuration read (output image)", runs * 4, std::nullopt, needPort, [](Session& s) {
                         SlotRecord record;
                         record.Address = kOutput;
                         return ReadModuleConfig(s.Link(), record) && record.ConfigLength > 0;
                     }});
    works.push_back({"firmware block cycle (256 bytes)", runs * 4, 0.97, started, [&image](Session& s) {
                         return s.Link().WriteFirmwareBlock(0x1000, std::span(image).subspan(0x1000, kFirmwareBlock),
                                                            kUpgraded, true);
                     }});
    works.push_back({"firmware upgrade phase, 64 KiB (start, 256 blocks, write)", upgradeRuns, 0.96, needPort,
                     [&image](Session& s) {
                         CXmit& link = s.Link();
                         const std::uint8_t type = s.Table().Records[kUpgraded].Type;
                         return SendFirmwareStart(link, kUpgraded) &&
                                !SendFirmwareImage(link, kUpgraded, type, image, [](std::size_t) {}) &&
                                SendFirmwareWrite(link, kUpgraded);
                     }});
    return works;
}

std::string Fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Padded(std::string text, std::size_t width, bool right = false) {
    if (text.size() >= width) return text;
    const std::string pad(width - text.size(), ' ');
    return right ? pad + text : text + pad;
}

std::string FirstLineWith(const char* path, std::string_view key) {
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with(key)) {
            const auto colon = line.find(':');
            return colon == std::string::npos ? line : line.substr(colon + 2);
        }
    }
    return "?";
}

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

void PrintMachine() {
    utsname name{};
    uname(&name);
    std::cout << "machine: " << FirstLineWith("/proc/cpuinfo", "model name") << ", "
              << std::thread::hardware_concurrency() << " CPUs, " << name.sysname << ' ' << name.release << ' '
              << name.machine << "\nload average at start: " << LoadAverage() << "\n";
}

// A piece of work's runs: the medians, and the last run's counts.
struct Medians {
    Sample last;
    double measuredMs = 0;
    double cpuS = 0;
    double simLateMs = 0;
};

std::optional<Medians> RunWork(Session& session, const Work& work) {
    std::vector<double> measured, cpu, late;
    Sample last;
    for (int r = 0; r < work.runs; ++r) {
        work.prepare(session);
        last = session.Measure([&] { return work.run(session); });
        if (!last.ok) return std::nullopt;
        measured.push_back(last.measuredMs);
        cpu.push_back(last.cpuS);
        late.push_back(last.simLateMs);
    }
    return Medians{last, Median(measured), Median(cpu), Median(late)};
}

// Runs every piece of work behind one simulated rack with the given adapter latency; false when a goal was
// missed or a run failed.
bool RunAll(std::uint32_t latencyMs, const std::vector<std::uint8_t>& image, int runs, int upgradeRuns) {
    sim::RackSimulator rack(FullRack(), {}, true);
    rack.SetAdapterLatency(std::chrono::milliseconds(latencyMs));
    std::string error;
    if (!rack.Start(error)) {
        std::cerr << "kelvane_line_bench: " << error << '\n';
        return false;
    }
    Session session(rack);
    if (!Discover(session)) {
        std::cerr << "kelvane_line_bench: the simulated rack was not found\n";
        return false;
    }
    std::cout << "\nadapter latency " << latencyMs << " ms"
              << (latencyMs == 0    ? " (no USB adapter)"
                  : latencyMs == 16 ? " (an FTDI's default)"
                                    : "")
              << "\n"
              << Padded("work", 60) << Padded("exch", 6, true) << Padded("bytes", 8, true)
              << Padded("bound ms", 11, true) << Padded("measured ms", 13, true) << Padded("ratio", 7, true)
              << Padded("cpu ms", 9, true) << Padded("sim late", 10, true) << "  goal\n";
    bool allMet = true;
    for (const Work& work : Works(image, runs, upgradeRuns)) {
        const std::optional<Medians> result = RunWork(session, work);
        if (!result) {
            std::cout << Padded(work.name, 60) << "  FAILED\n";
            allMet = false;
            continue;
        }
        const Sample& last = result->last;
        const double median = result->measuredMs;
        const double ratio = last.BoundMs() / median;
        std::string goal;
        if (work.goal && latencyMs == 0) {
            const bool met = ratio >= *work.goal;
            allMet = allMet && met;
            goal = ">= " + Fixed(*work.goal, 2) + (met ? " met" : " MISSED");
        }
        std::cout << Padded(work.name, 60) << Padded(std::to_string(last.exchanges), 6, true)
                  << Padded(std::to_string(last.bytes), 8, true) << Padded(Fixed(last.BoundMs(), 2), 11, true)
                  << Padded(Fixed(median, 2), 13, true) << Padded(Fixed(ratio, 3), 7, true)
                  << Padded(Fixed(result->cpuS * 1000, 2), 9, true) << Padded(Fixed(result->simLateMs, 2), 10, true)
                  << "  " << goal << '\n';
        if (work.name.starts_with("firmware upgrade") && latencyMs == 0) {
            const double cpuS = result->cpuS;
            const bool met = cpuS <= 0.05;
            allMet = allMet && met;
            std::cout << Padded("  CPU of the upgrade (this thread, getrusage)", 60) << Padded(Fixed(cpuS, 3), 45, true)
                      << " s  <= 0.050 s" << (met ? " met" : " MISSED") << '\n';
        }
    }
    rack.Stop();
    return allMet;
}

// One way to the rack in the serial-server comparison: a local line, or ser2net with an accepter and a tuning.
struct Route {
    std::string name;
    std::optional<bench::Ser2netServer::Accepter> accepter;  // none: the local line
    bench::Ser2netServer::Tuning tuning = bench::Ser2netServer::Tuning::Fast;
    bool goal = false;  // held to the local line's pace
};

// Discovery through the tuned server against ser2net's defaults, in the same run: a ratio that a busy machine
// moves less than the local line's.
constexpr double kServerGoal = 2.0;

// Discovery and a status poll on one paced rack, over its own line and through ser2net on 127.0.0.1; the tuned
// server must be well ahead of ser2net's defaults. False when a goal was missed or a run failed.
bool RunThroughServers(int runs) {
    using Server = bench::Ser2netServer;
    if (Server::Program().empty()) {
        std::cout << "\nthrough ser2net: skipped, ser2net is not installed\n";
        return true;
    }
    sim::RackSimulator rack(FullRack(), {}, true);
    std::string error;
    if (!rack.Start(error)) {
        std::cerr << "kelvane_line_bench: " << error << '\n';
        return false;
    }
    const std::vector<Route> routes{
        {"local line (the same rack)", std::nullopt, Server::Tuning::Fast, false},
        {"ser2net tcp, its defaults", Server::Accepter::Raw, Server::Tuning::Defaults, false},
        {"ser2net tcp(nodelay), chardelay: false", Server::Accepter::Raw, Server::Tuning::Fast, true},
        {"ser2net telnet(rfc2217),tcp(nodelay), chardelay: false", Server::Accepter::Rfc2217, Server::Tuning::Fast,
         true},
    };
    std::cout << "\nthrough ser2net on 127.0.0.1, the same rack (no adapter): discovery and a panel status poll,\n"
                 "medians; local/this and defaults/this compare the discovery times\n"
              << Padded("line", 56) << Padded("discovery ms", 14, true) << Padded("poll ms", 9, true)
              << Padded("local/this", 12, true) << Padded("defaults/this", 15, true) << "  goal\n";
    const std::vector<std::uint8_t> noImage;  // the firmware works are not run here
    const std::vector<Work> works = Works(noImage, runs, 1);
    bool allMet = true;
    double localMs = 0;
    double defaultsMs = 0;
    for (const Route& route : routes) {
        Server server;
        std::unique_ptr<Session> session;
        if (!route.accepter) {
            session = std::make_unique<Session>(rack);
        } else if (server.Start(rack.PortPath(), *route.accepter, route.tuning, error)) {
            session = std::make_unique<Session>(rack, MakeNativePortOpener(server.Entry()));
        }
        Work discovery = works[0];
        // The server lets go of the device a moment after the connection closes; that wait is not discovery's.
        discovery.prepare = [](Session& s) {
            s.Link().ClosePort();
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        };
        const std::optional<Medians> found = session ? RunWork(*session, discovery) : std::nullopt;
        const std::optional<Medians> polled = found ? RunWork(*session, works[2]) : std::nullopt;
        if (!found || !polled) {
            std::cout << Padded(route.name, 56) << "  FAILED" << (error.empty() ? "" : ": " + error) << '\n';
            allMet = false;
            continue;
        }
        const double ms = found->measuredMs;
        if (!route.accepter) localMs = ms;
        if (route.accepter && route.tuning == Server::Tuning::Defaults) defaultsMs = ms;
        const double speedUp = defaultsMs / ms;
        std::string goal;
        if (route.goal) {
            const bool met = speedUp >= kServerGoal;
            allMet = allMet && met;
            goal = ">= " + Fixed(kServerGoal, 2) + (met ? " met" : " MISSED");
        }
        std::cout << Padded(route.name, 56) << Padded(Fixed(ms, 2), 14, true)
                  << Padded(Fixed(polled->measuredMs, 2), 9, true) << Padded(Fixed(localMs / ms, 3), 12, true)
                  << Padded(defaultsMs > 0 ? Fixed(speedUp, 2) : "", 15, true) << "  " << goal << '\n';
    }
    rack.Stop();
    return allMet;
}

std::optional<int> Whole(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value < 1) return std::nullopt;
    return value;
}

}  // namespace
}  // namespace kelvane

int main(int argc, char** argv) {
    using namespace kelvane;
    int runs = 5;
    int upgradeRuns = 3;
    std::vector<std::uint32_t> latencies{0, 1, 16};
    bool servers = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--runs" && i + 1 < argc && Whole(argv[i + 1])) {
            runs = *Whole(argv[++i]);
        } else if (arg == "--upgrade-runs" && i + 1 < argc && Whole(argv[i + 1])) {
            upgradeRuns = *Whole(argv[++i]);
        } else if (arg == "--no-adapter") {
            latencies = {0};
        } else if (arg == "--no-server") {
            servers = false;
        } else if (arg == "--server-only") {
            latencies.clear();
        } else {
            std::cerr << "usage: kelvane_line_bench [--runs N] [--upgrade-runs N] [--no-adapter]"
                         " [--no-server | --server-only]\n";
            return 2;
        }
    }
    std::cout
        << "kelvane line benchmark: kxrsim paced at 115200 baud (86.8 us a byte), in process over its\n"
           "pseudo-terminal. bound = wire time of the bytes exchanged (the program's and the rack's; the\n"
           "echo overlaps the request); measured = median of "
        << runs << " runs (probe, poll, read, block: " << runs * 4 << "; upgrade: " << upgradeRuns
        << ");\nratio = bound / measured; cpu = the link thread's user + system time; sim late = how much later than\n"
           "their line time the simulator delivered the last bytes of the replies (included in measured).\n";
    PrintMachine();
    const std::vector<std::uint8_t> image = FirmwareImage();
    bool met = true;
    for (const std::uint32_t latency : latencies) met = RunAll(latency, image, runs, upgradeRuns) && met;
    if (servers) met = RunThroughServers(runs) && met;
    std::cout << "\nload average at end: " << LoadAverage() << "\n"
              << (met ? "every goal met\n" : "a goal was missed or a run failed\n");
    return met ? 0 : 1;
}
