#pragma once

#include "sim/Drift.h"

#include <cstdint>

namespace kelvane::sim {

// Lock states of an input row, as the status reply reports them (red, orange and green lamp).
constexpr std::uint8_t kNoLock = 0;
constexpr std::uint8_t kCarrierFound = 1;
constexpr std::uint8_t kLocked = 2;

struct SignalReading {
    std::uint8_t lock = kNoLock;
    std::uint8_t snr = 0;  // 0-100
    std::uint8_t level = 0;  // 0-100
};

// Where a tuner row is pointed, as far as reception goes.
struct Reception {
    bool receivable = false;  // a satellite carrier can be found there
    int frequencyMHz = 0;  // sets the level: higher frequencies arrive weaker over the cable
};

// Whether a row tuned to `frequencyMHz` at `symbolRate` (kilosymbols per second) can ever lock.
bool IsReceivable(int frequencyMHz, int symbolRate);

// What one input row of a tuner measures, one poll after another: after a retune it searches for a poll or
// two, finds the carrier, then locks, and from then on its figures wander within a believable range. A row
// pointed where no carrier is stays unlocked with noise-floor figures. Time is the number of polls, so the
// same polls always give the same readings.
class TunerSignal {
public:
    TunerSignal(Reception reception, std::uint64_t seed);

    // Starts acquiring again, as after a new frequency or a restart.
    void Retune(Reception reception);
    // Advances one poll and gives what the row measures then.
    SignalReading Poll();
    std::uint8_t Lock() const { return lock_; }

    // A receivable row reports its lock at the latest on this poll after a retune (counting from 1); the
    // first poll after a retune never finds a lock.
    static constexpr int kMaxPollsToLock = 6;

private:
    std::uint8_t LockAt(int poll) const;
    void EnterState(std::uint8_t lock);

    Reception reception_;
    Jitter jitter_;
    int lockedSnrLow_;  // each tuner and dish has its own margin
    int searchPolls_ = 1;  // polls spent with no carrier after a retune
    int syncPolls_ = 2;  // polls with the carrier found but not yet locked
    int polls_ = 0;
    std::uint8_t lock_ = kNoLock;
    Drift snr_;
    Drift level_;
};

}  // namespace kelvane::sim
