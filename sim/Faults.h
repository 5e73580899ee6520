#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kelvane::sim {

// A moment of a run at which a fault strikes, once: when the rack has received so many requests, or at the
// n-th request carrying a given command (its high nibble, as 0x50 for a write).
struct FaultMoment {
    std::size_t afterRequests = 0;  // 0 with no command: never
    int command = -1;  // -1: any request counts
    std::size_t nth = 1;  // with a command: the how-manieth such request

    bool Planned() const { return command >= 0 || afterRequests > 0; }
};

// Reads a moment as written on kxrsim's command line: N (after N requests), 0xCC (the first request with
// command CC) or 0xCC/K (the K-th of them). Nothing for anything else.
std::optional<FaultMoment> ParseFaultMoment(std::string_view text);

// Counts requests towards a moment; says once, at the request where it strikes.
class MomentWatch {
public:
    explicit MomentWatch(const FaultMoment& moment = {}) : moment_(moment) {}
    bool Strikes(std::uint8_t command);

private:
    FaultMoment moment_;
    std::size_t counted_ = 0;
    bool struck_ = false;
};

// Faults of one run. Shares are fractions of the replies, from 0 (never) to 1 (every reply).
struct FaultOptions {
    double dropShare = 0;  // the module acts, but its reply never reaches the line
    double corruptShare = 0;  // the reply goes out with a wrong checksum
    double refuseShare = 0;  // the reply goes out refused (0xE0), without payload
    bool silent = false;  // no reply at all (not counted by the shares); modules still act, the line echoes
    std::uint32_t lateMs = 0;  // each reply leaves this long after its request ended
    int closeAfterReplies = -1;  // close the terminal once this many replies are out; -1 never
    bool refuseModuleList = false;  // the controller refuses to list its modules
    // How long the rack stays silent after the firmware restart sent to every module, while it reboots.
    std::uint32_t restartSilenceMs = 2000;
    FaultMoment hangUpAt;  // the line hangs up, as an adapter pulled out, before this request's reply
    FaultMoment rebootAt;  // the rack restarts on its own: silent for restartSilenceMs from this request
    std::uint32_t flipEvery = 0;  // one reply byte in this many has a bit flipped; 0 never
};

// Flips one bit of every flipEvery-th byte of the replies, counting across replies.
class ByteFlipper {
public:
    explicit ByteFlipper(std::uint32_t every = 0) : every_(every) {}
    // Returns how many bytes of `frame` were flipped.
    std::size_t Apply(std::span<std::uint8_t> frame);

private:
    std::uint32_t every_;
    std::uint64_t counted_ = 0;
};

// Spreads a share of faults evenly over a run: each reply adds the share to an accumulator, and a reply that
// brings it to 1 or more is faulted (and 1 taken off). Share 0.5 thus faults every second reply, never two in
// a row. The share is held as the nearest fraction p/q with q up to a million and the sum counts in q-ths, so
// that 0.1 faults exactly every tenth reply and 1/3 every third, where floating-point sums would drift.
class ShareAccumulator {
public:
    explicit ShareAccumulator(double share = 0);

    // Whether the next reply is faulted.
    bool Next();

private:
    std::uint64_t numerator_ = 0;
    std::uint64_t denominator_ = 1;
    std::uint64_t sum_ = 0;
};

// What happens to one reply. Drop wins over the others; refuse and corrupt may come together.
struct ReplyFault {
    bool drop = false;
    bool refuse = false;
    bool corrupt = false;
};

// Decides the fault of each reply in turn; the three shares run independently of each other.
class FaultPlan {
public:
    explicit FaultPlan(const FaultOptions& options = {});

    ReplyFault Next();

private:
    bool silent_;
    ShareAccumulator drop_;
    ShareAccumulator corrupt_;
    ShareAccumulator refuse_;
};

}  // namespace kelvane::sim
