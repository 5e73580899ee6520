#pragma once

#include <cstdint>

namespace kelvane::test::rack {

// The modules of sim::DefaultRack() by their row in the module list; each answers at the bus address of the
// same number.
enum DefaultRackRow : std::uint8_t {
    kTuner = 1,  // KXB200
    kCam,  // KXF600, descrambling for the output after it
    kTwoChannelOutput,  // KXD410
    kPlayer,  // KXC300
    kFourChannelOutput,  // KXD420
    kPlainTuner,  // KXB210
    kOneChannelOutput,  // KXD400
};

}  // namespace kelvane::test::rack
