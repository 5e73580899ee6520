#pragma once

#include "config/OutputLevel.h"

#include <string>

namespace kelvane {

constexpr int kPlayerRateCount = 16;

// "-29dB" for step 1 up to "0dB" for step 30.
std::string AttenuationLabel(int levelStep);

// The player's rate in Mb/s for a slider index 0-15; 0 outside the table.
int PlayerRateMbps(int index);

// "%d Mb/s" of PlayerRateMbps.
std::string PlayerRateLabel(int index);

}  // namespace kelvane
