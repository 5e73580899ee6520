#pragma once

#include "platform/SerialPort.h"
#include "platform/VirtualClock.h"
#include "tests/support/VirtualLine.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace kelvane::test {

using Bytes = std::vector<std::uint8_t>;

// A serial port whose far end is a script: every write is recorded, and each write can make bytes arrive
// a given number of milliseconds later on the virtual clock. A read waits on the virtual clock as a real port
// waits on the line.
class ScriptedPort final : public SerialPort {
public:
    struct Reaction {
        Bytes bytes;
        std::uint64_t delayMs = 2;
        // 0: all at once; otherwise this many bytes a millisecond (11 is the line's pace at 115,200 baud).
        std::size_t bytesPerMs = 0;
    };

    explicit ScriptedPort(VirtualClock& clock) : clock_(clock), line_(clock) {}

    bool Write(std::span<const std::uint8_t> bytes) override;
    ReadResult Read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) override;
    bool HungUp() const override { return hungUp; }
    std::chrono::milliseconds ExtraLatency() const override { return latency; }

    // Bytes that arrive `delayMs` from now, as if the far end sent them unprompted.
    void Arrive(const Bytes& bytes, std::uint64_t delayMs = 0);

    // The far end's answer to each write, in order; writes beyond the list get no answer. A reply frame given
    // with source 0 comes from the module the request went to, as on the rack's bus.
    std::deque<Reaction> reactions;
    // Every write is heard back at once, as on the half-duplex bus: the link counts on reading it back.
    bool echo = true;
    // How long the echo takes to come back (a far line's round trip).
    std::uint64_t echoDelayMs = 0;
    // What the port reports as its extra latency.
    std::chrono::milliseconds latency{0};
    bool failWrites = false;
    // The far end is gone: reads report it at once and writes fail.
    bool hungUp = false;
    // The far end goes away at this tick of the virtual clock, even in the middle of a read's wait.
    std::optional<std::uint64_t> hangUpAt;

    std::vector<Bytes> writes;
    std::size_t reads = 0;

private:
    Bytes FromAddressed(const Bytes& bytes) const;

    VirtualClock& clock_;
    VirtualLine line_;
    // The destination of the last request frame that began in a write.
    std::uint8_t addressed_ = 0;
};

// Hands out scripted ports by number and remembers which numbers were tried.
class ScriptedPortOpener final : public PortOpener {
public:
    explicit ScriptedPortOpener(VirtualClock& clock) : clock_(clock) {}

    // The port at `number` exists and answers each write with the given reactions.
    void Install(std::uint8_t number, std::deque<ScriptedPort::Reaction> reactions, bool echo = true);

    // The port at `number` exists but another program holds it.
    void InstallBusy(std::uint8_t number) { InstallFailure(number, OpenProblem::Busy); }
    // The port at `number` cannot be opened, for this reason. Numbers with nothing installed are absent.
    void InstallFailure(std::uint8_t number, OpenProblem problem, std::string detail = {}) {
        failures_[number] = {std::move(detail), problem};
    }

    void BeginSearch() override { searchStarts.push_back(opened.size()); }
    std::unique_ptr<SerialPort> Open(std::uint8_t number) override;
    std::string Describe(std::uint8_t number) const override { return "COM" + std::to_string(number); }
    std::string RackName(std::uint8_t number) const override {
        return rackNames.contains(number) ? rackNames.at(number) : std::string();
    }
    OpenFailure LastOpenFailure() const override { return lastFailure_; }
    // Up to the highest number anything was installed or named at.
    std::size_t EntryCount() const override {
        const auto after = [](const auto& numbers) { return numbers.empty() ? 0 : numbers.rbegin()->first + 1; };
        return static_cast<std::size_t>(std::max({after(plans_), after(failures_), after(rackNames)}));
    }

    // The names the port table gives the racks behind some ports.
    std::map<int, std::string> rackNames;

    std::vector<int> opened;
    // Where in `opened` each search began.
    std::vector<std::size_t> searchStarts;
    // The port opened last, while the link holds it (null once it is closed).
    ScriptedPort* last = nullptr;

private:
    struct Plan {
        std::deque<ScriptedPort::Reaction> reactions;
        bool echo;
    };
    VirtualClock& clock_;
    std::map<int, Plan> plans_;
    struct Failure {
        std::string detail;
        OpenProblem problem;
    };
    std::map<int, Failure> failures_;
    OpenFailure lastFailure_;
};

// A reply frame as a module sends it: stuffing and checksum done here, independently of the link's encoder.
Bytes ReplyFrame(std::uint8_t code, const Bytes& payload, std::uint8_t source = 0, std::uint8_t destination = 0xFD);

// The request accepted, answered with `payload`.
inline ScriptedPort::Reaction Accept(const Bytes& payload) { return {ReplyFrame(0xF0, payload)}; }
// A unit's identity: its mark, its state (0 active, 0xFF inactive) and its version in tenths.
inline ScriptedPort::Reaction Identity(std::uint8_t version, std::uint8_t state = 0) {
    return Accept({0x77, state, version});
}

}  // namespace kelvane::test
