// kxrsim: a KXRRack on a pseudo-terminal, for trying the program without the hardware.
#include "sim/DefaultRack.h"
#include "sim/ModuleModels.h"
#include "sim/RackDescription.h"
#include "sim/RackSimulator.h"
#include "sim/SimOptions.h"

#include "KelvaneVersion.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string_view>
#include <vector>

namespace {

using namespace kelvane::sim;

bool LoadRack(const std::string& path, RackDescription& rack) {
    if (path.empty()) {
        rack = DefaultRack();
        return true;
    }
    std::ifstream file(path);
    if (!file) {
        std::cerr << "kxrsim: cannot open rack file " << path << '\n';
        return false;
    }
    std::string error;
    if (!ParseRackDescription(file, rack, error)) {
        std::cerr << "kxrsim: " << path << ": " << error << '\n';
        return false;
    }
    return true;
}

// Signals are taken synchronously by sigwait, so no handler runs inside the simulator's work.
sigset_t ControlSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGINT, SIGTERM, SIGUSR1, SIGUSR2}) sigaddset(&set, s);
    return set;
}

// The bus addresses of the rack's CI modules, whose CAMs SIGUSR2 pulls and puts back.
std::vector<std::uint8_t> CamSlotsOf(const RackDescription& rack) {
    std::vector<std::uint8_t> addresses;
    for (const ModuleDescription& m : rack.modules) {
        if (RoleOf(m.type) == ModuleRole::CommonInterface) addresses.push_back(m.address);
    }
    return addresses;
}

void SetCams(RackSimulator& simulator, const std::vector<std::uint8_t>& camSlots, bool present) {
    for (const std::uint8_t address : camSlots) simulator.SetCamPresent(address, present);
}

// A CAM pulled by a fault counts as pulled, so that the next SIGUSR2 puts it back.
bool AnyCamIn(const RackSimulator& simulator, const std::vector<std::uint8_t>& camSlots) {
    for (const std::uint8_t address : camSlots) {
        if (simulator.CamPresent(address)) return true;
    }
    return false;
}

// Plugs a line that hung up back in once it has been out for `backAfterMs`; measured from when it was first seen
// closed, so a little late by at most one turn of the wait.
class LineReturn {
public:
    explicit LineReturn(std::uint32_t backAfterMs) : backAfter_(std::chrono::milliseconds(backAfterMs)) {}

    void Check(RackSimulator& simulator) {
        if (backAfter_.count() == 0 || simulator.TerminalOpen()) {
            out_ = false;
            return;
        }
        const auto now = std::chrono::steady_clock::now();
        if (!out_) {
            out_ = true;
            since_ = now;
            return;
        }
        if (now - since_ < backAfter_) return;
        std::string error;
        if (simulator.ReopenTerminal(error)) {
            std::cerr << "kxrsim: terminal back\n";
            out_ = false;
        } else {
            std::cerr << "kxrsim: cannot bring the terminal back: " << error << '\n';
            backAfter_ = {};
        }
    }

private:
    std::chrono::milliseconds backAfter_;
    bool out_ = false;
    std::chrono::steady_clock::time_point since_{};
};

// Each --lose-lock on the module of its row; false, with the reason told, for a row that has no such input.
bool PlanLockLosses(RackSimulator& simulator, const RackDescription& rack, const std::vector<LockLoss>& losses) {
    for (const LockLoss& loss : losses) {
        const bool inRack = static_cast<std::size_t>(loss.row) <= rack.modules.size();
        const std::uint8_t address = inRack ? rack.modules[static_cast<std::size_t>(loss.row) - 1].address : 0;
        if (!inRack || !simulator.PlanLockLoss(address, loss.input, loss.afterPolls, loss.forPolls)) {
            std::cerr << "kxrsim: --lose-lock: row " << loss.row << " is not an input module with input "
                      << static_cast<char>('A' + loss.input) << '\n';
            return false;
        }
    }
    return true;
}

void ServeUntilStopped(RackSimulator& simulator, const sigset_t& signals, const std::vector<std::uint8_t>& camSlots,
                       std::uint32_t backAfterMs) {
    LineReturn lineReturn(backAfterMs);
    constexpr timespec kTurn{0, 50'000'000};
    for (;;) {
        const int received = sigtimedwait(&signals, nullptr, &kTurn);
        if (received < 0) {
            if (errno != EAGAIN && errno != EINTR) return;
            lineReturn.Check(simulator);
            continue;
        }
        if (received == SIGUSR2) {
            const bool camsIn = !AnyCamIn(simulator, camSlots);
            SetCams(simulator, camSlots, camsIn);
            std::cerr << (camsIn ? "kxrsim: CAMs inserted\n" : "kxrsim: CAMs pulled\n");
            continue;
        }
        if (received != SIGUSR1) return;
        simulator.CloseTerminal();
        std::cerr << "kxrsim: terminal closed\n";
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << "kxrsim " << kelvane::kKelvaneVersion << '\n';
        return 0;
    }
    SimOptions options;
    std::string error;
    if (!ParseSimOptions(args, options, error)) {
        std::cerr << "kxrsim: " << error << "\n\n" << SimUsage();
        return 2;
    }
    if (options.help) {
        std::cout << SimUsage();
        return 0;
    }
    RackDescription rack;
    if (!LoadRack(options.rackFile, rack)) return 1;

    // Blocked before the serving thread exists, so that it inherits the mask and only sigwait sees them.
    const sigset_t signals = ControlSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    const std::vector<std::uint8_t> camSlots = CamSlotsOf(rack);
    const RackDescription described = rack;
    RackSimulator simulator(std::move(rack), options.faults, options.paced);
    if (!PlanLockLosses(simulator, described, options.lockLosses)) return 2;
    simulator.SetAdapterLatency(std::chrono::milliseconds(options.adapterLatencyMs));
    if (!simulator.Start(error, options.linkPath)) {
        std::cerr << "kxrsim: " << error << '\n';
        return 1;
    }
    for (const std::uint8_t address : camSlots) simulator.SetCamFaults(address, options.camFaults);
    if (options.noCam) SetCams(simulator, camSlots, false);
    if (options.backAfterMs > 0 && options.linkPath.empty()) {
        std::cerr << "kxrsim: --back-after needs --link, where the line comes back\n";
        return 2;
    }
    std::cout << simulator.PortPath() << std::endl;
    ServeUntilStopped(simulator, signals, camSlots, options.backAfterMs);
    simulator.Stop();
    return 0;
}
