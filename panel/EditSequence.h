#pragma once

#include "app/SlotTable.h"
#include "panel/PanelModel.h"

namespace kelvane {

class CXmit;

// Rebuilds the pair's images from the panel's fields: three encoding passes with the service tables
// reconciled between them, so that what one image implies for the other settles.
void EncodePair(PanelModel& m, SlotTable& slots, SlotRecord& input, SlotRecord* output);

// The whole of applying edits once the fields hold them: encode, send what changed, and restart the outputs the
// input feeds when an input parameter changed.
void ApplyEditsToRack(PanelModel& m, SlotTable& slots, SlotRecord& input, SlotRecord* output, CXmit& link);

}  // namespace kelvane
