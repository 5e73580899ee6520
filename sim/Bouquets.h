#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace kelvane::sim {

struct BouquetEntry {
    std::string_view name;  // Latin-1 bytes as broadcast, emphasis codes included
    bool radio = false;
    bool scrambled = false;
};

// The services of one satellite bouquet, television first, with the network that broadcasts them.
struct Bouquet {
    std::uint16_t originalNetworkId = 0;
    std::span<const BouquetEntry> entries;
};

// The bouquet a transponder carries: neighbouring transponders carry different ones.
std::size_t BouquetIndexFor(int frequencyMHz);
const Bouquet& BouquetAt(std::size_t index);  // index modulo the number of bouquets

}  // namespace kelvane::sim
