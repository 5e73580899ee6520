#pragma once

#include "app/SlotTable.h"

namespace kelvane {

// After discovery the images just read are what the modules hold: remember them as sent, so that only later
// changes go back to the modules.
void MarkConfigsSent(SlotTable& slots);

}  // namespace kelvane
