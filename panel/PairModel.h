#pragma once

#include "app/SlotTable.h"
#include "panel/PanelModel.h"

namespace kelvane {

// Output channels of an output module type: 1 for the KXD400, 2 for the KXD410, 4 for the others; 0 for none.
int OutputChannelCountOf(const SlotRecord* output);

// The model of a module pair, fresh: the pair's shape (types, CI modules counted, rows, channels) and its two
// images decoded. Nothing is marked to be sent.
PanelModel ModelOfPair(int camCount, const SlotRecord& input, const SlotRecord* output);

}  // namespace kelvane
