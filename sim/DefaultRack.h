#pragma once

#include "sim/RackDescription.h"

namespace kelvane::sim {

// A rack as one might find it in a head-end, in slot order behind the controller (V1.4):
//   1 KXB200 input  -> 2 KXF600 CI -> 3 KXD410 output (two channels)
//   4 KXC300 player -> 5 KXD420 output (four channels)
//   6 KXB210 input  -> 7 KXD400 output (one channel)
// The number before each model is its bus address. Every input and output carries a realistic image.
RackDescription DefaultRack();

}  // namespace kelvane::sim
