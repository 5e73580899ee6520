#pragma once

#include "sim/CamSlot.h"
#include "sim/Faults.h"
#include "sim/LockLoss.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane::sim {

// What kxrsim was asked to do.
struct SimOptions {
    std::string rackFile;  // empty: the built-in rack
    std::string linkPath;  // empty: no link, the slave path is printed
    bool paced = false;
    bool noCam = false;  // the CI modules start with their CAM slots empty
    FaultOptions faults;
    std::vector<LockLoss> lockLosses;  // --lose-lock, each as given
    std::uint32_t adapterLatencyMs = 0;  // --adapter-latency: a USB adapter's latency timer; 0, none
    std::uint32_t backAfterMs = 0;  // a hung-up line comes back after this long; 0 never
    CamSlot::Faults camFaults;  // of every CAM of the rack
    bool help = false;
};

// Reads the command-line arguments (without the program name). Each option takes its value as the next
// argument or after '='. False with a message in `error` for an unknown option, a missing value or a value
// out of range.
bool ParseSimOptions(std::span<const std::string_view> args, SimOptions& options, std::string& error);

std::string SimUsage();

}  // namespace kelvane::sim
