#pragma once

#include <array>
#include <cstdint>

namespace kelvane {

// The level byte of an output image, in 1 dB steps of an 8-bit amplitude, quietest first: step i + 1 is the
// integer part of 255 × 10^((i − 29) / 20), the loudest step 30 (0 dB).
constexpr int kLevelStepCount = 30;

inline constexpr std::array<std::uint8_t, kLevelStepCount> kLevelTable{9,  10,  11,  12,  14,  16,  18,  20,  22,  25,
                                                                       28, 32,  36,  40,  45,  50,  57,  64,  71,  80,
                                                                       90, 101, 113, 127, 143, 160, 180, 202, 227, 255};

// Output level bytes by step: index = level step - 1.
inline const std::array<std::uint8_t, kLevelStepCount>& LevelTable() { return kLevelTable; }

// The level step (1-30) of an output level byte: the first step whose byte is at least `level`.
constexpr int LevelStepOfByte(std::uint8_t level) {
    for (int i = 0; i < kLevelStepCount; ++i) {
        if (kLevelTable[i] >= level) return i + 1;
    }
    return kLevelStepCount;
}

}  // namespace kelvane
