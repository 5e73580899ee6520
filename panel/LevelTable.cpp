#include "panel/LevelTable.h"

#include "app/TextFormat.h"

namespace kelvane {
namespace {

constexpr std::array<std::uint8_t, kLevelStepCount> kLevelTable{9,  10,  11,  12,  14,  16,  18,  20,  22,  25,
                                                                28, 32,  36,  40,  45,  50,  57,  64,  71,  80,
                                                                90, 101, 113, 127, 143, 160, 180, 202, 227, 255};

constexpr std::array<int, kPlayerRateCount> kPlayerRates{500, 250, 166, 125, 100, 83, 71, 62,
                                                         55,  50,  45,  42,  38,  35, 33, 31};

}  // namespace

const std::array<std::uint8_t, kLevelStepCount>& LevelTable() { return kLevelTable; }

int LevelStepOfByte(std::uint8_t level) {
    for (int i = 0; i < kLevelStepCount; ++i) {
        if (kLevelTable[i] >= level) return i + 1;
    }
    return kLevelStepCount;
}

std::string AttenuationLabel(int levelStep) { return FormatText("%ddB", {levelStep - kLevelStepCount}); }

int PlayerRateMbps(int index) { return index >= 0 && index < kPlayerRateCount ? kPlayerRates[index] : 0; }

std::string PlayerRateLabel(int index) { return FormatText("%d Mb/s", {PlayerRateMbps(index)}); }

}  // namespace kelvane
