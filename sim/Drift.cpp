#include "sim/Drift.h"

#include <algorithm>

namespace kelvane::sim {

std::uint64_t Jitter::Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

int Jitter::Between(int low, int high) {
    if (high <= low) return low;
    const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(high) - low + 1);
    return static_cast<int>(low + static_cast<std::int64_t>(Next() % span));
}

std::uint64_t SeedOf(std::uint64_t a, std::uint64_t b, std::uint64_t c) {
    Jitter mix(a);
    std::uint64_t seed = mix.Next() ^ b;
    mix = Jitter(seed);
    seed = mix.Next() ^ c;
    return Jitter(seed).Next();
}

Drift::Drift(int low, int high, int step, std::uint64_t seed)
    : low_(low), high_(std::max(low, high)), step_(std::max(step, 0)), jitter_(seed), value_(0) {
    value_ = jitter_.Between(low_, high_);
}

int Drift::Tick() {
    value_ = std::clamp(value_ + jitter_.Between(-step_, step_), low_, high_);
    return value_;
}

void Drift::SetRange(int low, int high) {
    low_ = low;
    high_ = std::max(low, high);
    if (value_ < low_ || value_ > high_) value_ = jitter_.Between(low_, high_);
}

}  // namespace kelvane::sim
