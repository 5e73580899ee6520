#pragma once

#include <cstdint>

namespace kelvane::sim {

// A small deterministic generator (SplitMix64): a simulated rack gives the same figures for the same
// sequence of polls, so tests can rely on them and two runs can be compared.
class Jitter {
public:
    explicit Jitter(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next();
    // A whole number in [low, high]; low when the range is empty.
    int Between(int low, int high);

private:
    std::uint64_t state_;
};

// Mixes a few numbers into one seed, so that neighbouring modules and rows do not move in step.
std::uint64_t SeedOf(std::uint64_t a, std::uint64_t b = 0, std::uint64_t c = 0);

// A measured figure that wanders inside [low, high], moving by at most `step` on each tick: the slow,
// bounded wobble of a real reading rather than independent noise.
class Drift {
public:
    Drift(int low, int high, int step, std::uint64_t seed);

    int Value() const { return value_; }
    int Low() const { return low_; }
    int High() const { return high_; }
    int Tick();
    // A new range (the reading moved to another regime). A value already inside it stays; one outside it
    // jumps to a point of the new range, as a reading does when its regime changes.
    void SetRange(int low, int high);

private:
    int low_;
    int high_;
    int step_;
    Jitter jitter_;
    int value_;
};

}  // namespace kelvane::sim
