#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kelvane::sim {

// A module's program memory as the firmware commands see it: a start opens a fresh, erased buffer, blocks
// land in it at their offsets, a write commits it, and the next restart runs the committed firmware.
class FirmwareStore {
public:
    // The largest image a module takes; blocks beyond it are refused.
    static constexpr std::size_t kCapacity = 512 * 1024;

    void Start();
    // False when no update was started or the block does not fit.
    bool Block(std::uint32_t offset, std::span<const std::uint8_t> data);
    // False when no update was started.
    bool Commit();

    // At a restart: the version of the firmware committed since the last restart, if any. An image names its
    // version with the marker "KXRV" followed by the version byte; without one the version goes up by one.
    std::optional<std::uint8_t> Restart(std::uint8_t currentVersion);

    const std::vector<std::uint8_t>& Image() const { return image_; }
    std::size_t BlocksWritten() const { return blocks_; }

    static std::optional<std::uint8_t> VersionMarkedIn(std::span<const std::uint8_t> image);

private:
    bool receiving_ = false;
    bool committed_ = false;
    std::vector<std::uint8_t> pending_;
    std::vector<std::uint8_t> image_;
    std::size_t blocks_ = 0;
};

}  // namespace kelvane::sim
