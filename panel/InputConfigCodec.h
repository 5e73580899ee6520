#pragma once

#include "app/SlotTable.h"
#include "panel/PanelModel.h"

namespace kelvane {

// The rows an input image holds: three for the file player, one for a tuner.
int InputRowsOfType(std::uint8_t inputType);

// Reads the input module's image into the input fields, its service tables and, for the player, the schedule.
// Bytes the image does not hold read as 0, except a CAM byte, which then reads as 1. Services of a row beyond
// the 64 the panel holds and schedule entries beyond 10 are stepped over, so that the fields after them are
// still read at their places.
void DecodeInputConfig(const SlotRecord& input, PanelModel& m);

// Writes the input fields back into the input module's image. False, with the record untouched, when the image
// would not fit the record.
bool EncodeInputConfig(const PanelModel& m, SlotRecord& input);

}  // namespace kelvane
