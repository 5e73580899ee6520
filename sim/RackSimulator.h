#pragma once

#include "sim/CamSlot.h"
#include "sim/Faults.h"
#include "sim/Frame.h"
#include "sim/RackDescription.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kelvane::sim {

// The bytes that went each way since the simulator started. Echo is not counted: on the line it takes no time of
// its own, coming back while the request goes out, so a run of exchanges needs at least
// (fromPc + replyBytes) line times.
struct LineTraffic {
    std::size_t fromPc = 0;  // bytes the program wrote
    std::size_t replyBytes = 0;  // bytes of the reply frames the rack put on the line
    // How much later than their line time the last bytes of replies reached the program, added up: the share of
    // an exchange's time that is the simulator's own lateness, not the program's.
    std::chrono::nanoseconds repliesLate{0};
};

// A rack behind a pseudo-terminal, served by a thread of its own: the program opens PortPath() as its serial
// port. Like the half-duplex bus, every byte the PC writes comes back as it arrives, ahead of the reply.
// All public operations are thread-safe.
class RackSimulator {
public:
    explicit RackSimulator(RackDescription rack, FaultOptions faults = {}, bool paced = false);
    ~RackSimulator();
    RackSimulator(const RackSimulator&) = delete;
    RackSimulator& operator=(const RackSimulator&) = delete;

    // Checks the rack, opens the terminal (with a symbolic link at `linkPath` when given) and starts serving.
    // False with a reason in `error` when any step fails. A simulator starts once.
    bool Start(std::string& error, const std::string& linkPath = "");

    // Stops serving, closes the terminal and removes the link. The destructor does it too.
    void Stop();

    // The path the program should open: the link when one was asked for, else the slave device.
    std::string PortPath() const;

    // Take effect from the next request on; the shares start counting afresh.
    void SetFaults(const FaultOptions& faults);
    void SetSilent(bool silent);
    FaultOptions Faults() const;

    // Closes the terminal at once, as if the rack's cable were pulled: the program's handle hangs up and the
    // link goes. Returns once it is closed; the simulator serves no more.
    void CloseTerminal();
    bool TerminalOpen() const;
    // Plugs the cable back in: a new terminal at the same link path, served as before. Only after
    // CloseTerminal, and only for a simulator started with a link path, since the program finds the
    // port again by that path.
    bool ReopenTerminal(std::string& error);

    // Has every byte towards the program held as by a USB adapter with this latency timer (see
    // LineOutput::SetAdapterLatency); 0, the default, hands each byte on as it comes off the line. Set it
    // before Start.
    void SetAdapterLatency(std::chrono::milliseconds latency);

    // Observation.
    LineTraffic Traffic() const;
    std::size_t RequestCount() const;  // valid requests received, broadcasts included
    std::size_t RejectedFrameCount() const;  // frames ignored for a bad checksum or length form
    std::size_t RepliesSent() const;  // reply frames wholly written to the line
    std::size_t RestartCount(std::uint8_t address) const;
    std::uint8_t VersionOf(std::uint8_t address) const;
    std::vector<std::uint8_t> FirmwareOf(std::uint8_t address) const;
    std::size_t FirmwareBlocks(std::uint8_t address) const;
    std::size_t ConfigWrites(std::uint8_t address) const;
    std::vector<std::uint8_t> ConfigOf(std::uint8_t address) const;
    std::vector<Request> RequestLog() const;  // the latest requests, oldest first

    // Makes input row `input` (0-2) of the input module at `address` lose its carrier after `afterPolls`
    // further status polls, for `forPolls` polls. False when there is no such input module or row.
    bool PlanLockLoss(std::uint8_t address, int input, int afterPolls, int forPolls);

    // Puts a CAM into the common-interface module at `address`, or pulls it out; false when no such module.
    bool SetCamPresent(std::uint8_t address, bool present);
    bool CamPresent(std::uint8_t address) const;
    // How the CAM at `address` misbehaves from now on; false when no such module.
    bool SetCamFaults(std::uint8_t address, const CamSlot::Faults& faults);

    // Bytes of replies flipped by FaultOptions::flipEvery so far.
    std::size_t FlippedBytes() const;
    // Times the line hung up or the rack restarted at a planned moment.
    std::size_t HangUps() const;
    std::size_t Reboots() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kelvane::sim
