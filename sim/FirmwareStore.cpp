#include "sim/FirmwareStore.h"

#include <algorithm>
#include <array>

namespace kelvane::sim {

constexpr std::array<std::uint8_t, 4> kVersionMarker{'K', 'X', 'R', 'V'};
constexpr std::uint8_t kErased = 0xFF;

void FirmwareStore::Start() {
    receiving_ = true;
    pending_.clear();
}

bool FirmwareStore::Block(std::uint32_t offset, std::span<const std::uint8_t> data) {
    if (!receiving_ || offset > kCapacity || data.size() > kCapacity - offset) return false;
    // Blocks the program skips because they are blank stay erased.
    if (pending_.size() < offset + data.size()) pending_.resize(offset + data.size(), kErased);
    std::copy(data.begin(), data.end(), pending_.begin() + offset);
    ++blocks_;
    return true;
}

bool FirmwareStore::Commit() {
    if (!receiving_) return false;
    image_ = pending_;
    receiving_ = false;
    committed_ = true;
    return true;
}

std::optional<std::uint8_t> FirmwareStore::Restart(std::uint8_t currentVersion) {
    receiving_ = false;
    if (!committed_) return std::nullopt;
    committed_ = false;
    if (const auto marked = VersionMarkedIn(image_)) return marked;
    return static_cast<std::uint8_t>(currentVersion + 1);
}

std::optional<std::uint8_t> FirmwareStore::VersionMarkedIn(std::span<const std::uint8_t> image) {
    const auto found = std::search(image.begin(), image.end(), kVersionMarker.begin(), kVersionMarker.end());
    if (found == image.end() || image.end() - found <= static_cast<std::ptrdiff_t>(kVersionMarker.size())) {
        return std::nullopt;
    }
    return *(found + static_cast<std::ptrdiff_t>(kVersionMarker.size()));
}

}  // namespace kelvane::sim
