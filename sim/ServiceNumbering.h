#pragma once

#include <cstdint>

namespace kelvane::sim {

// The simulated broadcasters number their radio services from x50 to x99 of each hundred and their
// television services below. Inputs name their services by this rule and outputs size their bit-rates by it,
// so both ends of a pair agree without knowing of each other.
constexpr int kRadioFrom = 50;
constexpr int kNumberingBlock = 100;

constexpr bool IsRadioService(std::uint16_t serviceId) { return serviceId % kNumberingBlock >= kRadioFrom; }

}  // namespace kelvane::sim
