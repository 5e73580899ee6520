#pragma once

#include "link/Xmit.h"
#include "platform/SystemClock.h"
#include "platform/posix/PortTable.h"
#include "sim/DefaultRack.h"
#include "sim/RackSimulator.h"
#include "tests/support/CliRun.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace kelvane::test {

// The simulator's rack on a real pseudo-terminal, and the program's objects that reach it as kelvane-cli and
// the window do: a port table that names only the simulator's port, the system clock, and the link. The rack
// stops with the object, pass or fail, after the link has let go of its port.
class PtyRack {
public:
    explicit PtyRack(sim::RackDescription rack = sim::DefaultRack(), sim::FaultOptions faults = {}, bool paced = false)
        : simulator(std::move(rack), faults, paced) {}

    // Starts serving, at a link `linkPath` when given, and names the rack's port in the port table.
    void Start(const std::string& linkPath = "") {
        std::string error;
        ASSERT_TRUE(simulator.Start(error, linkPath)) << error;
        ports = PortTable({simulator.PortPath()});
    }

    // A kelvane-cli command line in this process, from `folder`.
    CliRun Cli(const std::vector<std::string>& args,
               const std::filesystem::path& folder = std::filesystem::temp_directory_path()) {
        return RunCliIn(link, ports, clock, folder, args);
    }

    sim::RackSimulator simulator;
    SystemClock clock;
    PortTable ports{std::vector<std::string>{}};
    CXmit link{ports, clock};
};

}  // namespace kelvane::test
