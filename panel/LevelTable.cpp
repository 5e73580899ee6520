#include "panel/LevelTable.h"

#include "app/TextFormat.h"

namespace kelvane {

constexpr std::array<int, kPlayerRateCount> kPlayerRates{500, 250, 166, 125, 100, 83, 71, 62,
                                                         55,  50,  45,  42,  38,  35, 33, 31};

std::string AttenuationLabel(int levelStep) { return FormatText("%ddB", {levelStep - kLevelStepCount}); }

int PlayerRateMbps(int index) { return index >= 0 && index < kPlayerRateCount ? kPlayerRates[index] : 0; }

std::string PlayerRateLabel(int index) { return FormatText("%d Mb/s", {PlayerRateMbps(index)}); }

}  // namespace kelvane
