#pragma once

#include "sim/ConfigImages.h"
#include "sim/DefaultRack.h"

namespace kelvane::test {

// The default rack with its one-channel output (row 7) holding 55 services with both numbers: 1,014 bytes, a
// few short of what a module holds, so that any edit that adds bytes must be refused.
inline sim::RackDescription RackWithAFullOutput() {
    sim::RackDescription rack = sim::DefaultRack();
    sim::OutputSettings s;
    s.type = sim::kKXD400;
    s.frequencyKHz = 522000;
    s.transportStreamIds = {1537};
    s.networkName = "Kelvane C";
    for (int k = 0; k < 55; ++k) {
        s.services.push_back({static_cast<std::uint16_t>(3100 + k), 1, true, static_cast<std::uint16_t>(k + 1),
                              static_cast<std::uint16_t>(k + 500)});
    }
    rack.modules[6].config = sim::OutputImage(s);
    return rack;
}

}  // namespace kelvane::test
