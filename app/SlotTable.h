#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace kelvane {

constexpr std::size_t kConfigCapacity = 1024;
constexpr std::size_t kSlotCount = 15;

// What the program knows of one module: its identity and its configuration image, with the copy last
// exchanged with the module so that only images that really changed are sent.
struct SlotRecord {
    std::uint8_t Type = 0;
    std::uint8_t Address = 0;
    std::uint8_t Version = 0;
    std::uint16_t ConfigLength = 0;
    std::array<std::uint8_t, kConfigCapacity> Config{};
    std::uint16_t SentLength = 0;
    std::array<std::uint8_t, kConfigCapacity> SentConfig{};

    std::span<const std::uint8_t> ConfigImage() const { return {Config.data(), ConfigLength}; }
    std::span<const std::uint8_t> SentImage() const { return {SentConfig.data(), SentLength}; }
};

// The rack as discovered: record 0 is the controller, record k is row k of the module list. Records at and
// past ModuleCount keep whatever an earlier discovery left in them.
struct SlotTable {
    std::array<SlotRecord, kSlotCount> Records{};
    std::uint8_t ModuleCount = 0;

    SlotRecord& operator[](std::size_t row) { return Records.at(row); }
    const SlotRecord& operator[](std::size_t row) const { return Records.at(row); }
    std::span<const SlotRecord> Valid() const { return {Records.data(), ModuleCount}; }
};

}  // namespace kelvane
