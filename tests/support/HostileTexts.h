#pragma once

#include "sim/ConfigImages.h"
#include "sim/DefaultRack.h"

#include <string>

namespace kelvane::test {

// Texts a module may hold that would drive a terminal: clear the screen and turn it red, set its title, stop it
// (XOFF). Printed, each control shows as '?'.
inline const std::string kScreenClearingName = "\x1b[2J\x1b[31mNord";
inline const std::string kTitleSettingName = "\x1b]2;HACKED\aPlay";
inline const std::string kStoppingFile = "news\x13.ts";

// The default rack with those texts where a module keeps names: the KXD400's network name (row 7), the player's
// service name and one of its scheduled files (row 4).
inline sim::RackDescription RackWithControlCharacters() {
    sim::RackDescription rack = sim::DefaultRack();
    sim::OutputSettings output;
    output.type = sim::kKXD400;
    output.frequencyKHz = 522000;
    output.services = {{3001, 1, true, 20, 0}, {3002, 1, false, 21, 0}, {3050, 1, true, 40, 0}};
    output.transportStreamIds = {1537};
    output.networkName = kScreenClearingName;
    rack.modules[6].config = sim::OutputImage(output);
    const sim::InputRow rows[] = {{10788, 22000, sim::PolarityByte(0), {{2001, 0}, {2002, 0}}},
                                  {12188, 27500, sim::PolarityByte(1), {{2101, 0}}},
                                  {9750, 0, sim::PolarityByte(0), {}}};
    const sim::PlayerTail tail{2201, {{480, 600, kStoppingFile}}, 4, kTitleSettingName};
    rack.modules[3].config = sim::PlayerImage(rows, tail);
    return rack;
}

}  // namespace kelvane::test
