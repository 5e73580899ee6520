// What the program costs while it only watches: the main window after discovery, with the module panel of a
// pair open (status polled every second), and with the CAM menu open (its module polled every 10 ms). The window
// runs on the headless window system with the real clock against kxrsim paced at 115,200 baud over its
// pseudo-terminal, so that every timer fires and every exchange waits as in the program; the CPU of this thread
// (getrusage) over each stretch is set against its wall time. Run by scripts/bench.sh.

#include "app/KelvaneDlg.h"
#include "app/MessageCatalogue.h"
#include "cam/OpenCam.h"
#include "link/Xmit.h"
#include "panel/SatCofdm.h"
#include "platform/SystemClock.h"
#include "platform/posix/PortTable.h"
#include "res/ResourceIds.h"
#include "sim/DefaultRack.h"
#include "sim/RackSimulator.h"
#include "ui/headless/HeadlessWindowSystem.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>

namespace kelvane {
namespace {

constexpr std::uint64_t kStretchMs = 20000;
constexpr int kPairRow = 1;  // the KXB200, whose pair is the KXD410 in row 3
constexpr int kCamRow = 2;  // the KXF600

double ThreadCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Stretch {
    const char* what;
    double goalPercent;
};

// Lets the window run for a stretch and returns the CPU it took, in percent of the wall time.
double Measure(ui::HeadlessWindowSystem& windows) {
    const double cpu = ThreadCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    windows.RunFor(kStretchMs);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return 100.0 * (ThreadCpuSeconds() - cpu) / wall;
}

int Run() {
    SetLanguageIndex(kEnglish);
    sim::RackSimulator rack(sim::DefaultRack(), {}, true);
    std::string error;
    if (!rack.Start(error)) {
        std::fprintf(stderr, "polling bench: %s\n", error.c_str());
        return 2;
    }
    PortTable ports({rack.PortPath()});
    SystemClock clock;
    CXmit link(ports, clock);
    ui::HeadlessWindowSystem windows(clock);
    windows.SetLongestSleep(1000);  // asleep until the next timer, as an event loop is
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    CKelvaneDlg main(windows, link, folder.string(), std::make_unique<CSatCofdm>(windows),
                     std::make_unique<COpenCam>(windows));
    main.Create();
    ui::HeadlessDialog& window = *windows.Find(res::kMainDialog);
    window.KillTimer(CKelvaneDlg::kStartTimer);
    main.DiscoverRack();
    if (main.Slots().ModuleCount < 3) {
        std::fprintf(stderr, "polling bench: the simulated rack was not found\n");
        return 2;
    }

    bool met = true;
    const auto report = [&](const Stretch& stretch, double percent) {
        const bool ok = percent <= stretch.goalPercent;
        met = met && ok;
        std::printf("%-44s %7.3f %%   <= %.1f %% %s\n", stretch.what, percent, stretch.goalPercent,
                    ok ? "met" : "MISSED");
    };
    std::printf("CPU of the program's thread while it watches, over %llu s each\n",
                static_cast<unsigned long long>(kStretchMs / 1000));
    windows.RunFor(1000);  // the messages of discovery go by
    report({"idle (main window, supervision only)", 0.1}, Measure(windows));
    window.Click(res::kModuleList, kPairRow);
    windows.RunFor(3000);  // the pair's first polls, the names read on its lock
    report({"module panel open (status every second)", 0.2}, Measure(windows));
    window.Click(res::kModuleList, kCamRow);
    windows.RunFor(3000);
    report({"CAM menu open (its module every 10 ms)", 1.5}, Measure(windows));
    std::printf("%s\n", met ? "every polling goal met" : "a polling goal was missed");
    return met ? 0 : 1;
}

}  // namespace
}  // namespace kelvane

int main() { return kelvane::Run(); }
