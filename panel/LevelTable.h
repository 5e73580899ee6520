#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kelvane {

constexpr int kLevelStepCount = 30;
constexpr int kPlayerRateCount = 16;

// Output level bytes in 1 dB steps of an 8-bit amplitude, quietest first: index = level step - 1.
const std::array<std::uint8_t, kLevelStepCount>& LevelTable();

// The level step (1-30) of an output level byte: the first step whose byte is at least `level`.
int LevelStepOfByte(std::uint8_t level);

// "-29dB" for step 1 up to "0dB" for step 30.
std::string AttenuationLabel(int levelStep);

// The player's rate in Mb/s for a slider index 0-15; 0 outside the table.
int PlayerRateMbps(int index);

// "%d Mb/s" of PlayerRateMbps.
std::string PlayerRateLabel(int index);

}  // namespace kelvane
