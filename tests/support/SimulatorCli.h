#pragma once

// kelvane-cli's commands run in process against a simulated rack on a real pseudo-terminal (the simulator's
// own thread answers), with a folder of its own for the files a test writes. The fixture stops the simulator
// and removes the folder, pass or fail.

#include "link/Xmit.h"
#include "platform/SystemClock.h"
#include "platform/posix/PortTable.h"
#include "sim/DefaultRack.h"
#include "sim/RackSimulator.h"
#include "tools/cli/CliCommands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace kelvane::test {

struct CliOutcome {
    int status = -1;
    std::string out;
    std::string err;
};

class SimulatorCli : public ::testing::Test {
protected:
    // Starts the simulator with `rack`; a test may start it once.
    void StartRack(const sim::RackDescription& rack = sim::DefaultRack()) {
        std::filesystem::create_directories(dir_);
        simulator_ = std::make_unique<sim::RackSimulator>(rack);
        std::string error;
        ASSERT_TRUE(simulator_->Start(error)) << error;
        ports_ = PortTable({simulator_->PortPath()});
    }
    void TearDown() override {
        if (simulator_) simulator_->Stop();
        std::filesystem::remove_all(dir_);
    }

    std::string File(const std::string& name) const { return (dir_ / name).string(); }
    void WriteText(const std::string& name, const std::string& text) const {
        std::ofstream(dir_ / name, std::ios::binary) << text;
    }

    CliOutcome Run(const std::vector<std::string>& args) {
        std::ostringstream out, err;
        CliContext cli{link_, ports_, clock_, out, err, dir_};
        CliOutcome run;
        run.status = RunCli(args, cli);
        link_.ClosePort();
        run.out = out.str();
        run.err = err.str();
        return run;
    }

    sim::RackSimulator& Rack() { return *simulator_; }

private:
    std::filesystem::path dir_ =
        std::filesystem::temp_directory_path() / ("kelvane-simulator-cli-" + std::to_string(getpid()));
    std::unique_ptr<sim::RackSimulator> simulator_;
    SystemClock clock_;
    PortTable ports_{std::vector<std::string>{}};
    CXmit link_{ports_, clock_};
};

}  // namespace kelvane::test
