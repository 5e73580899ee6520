#pragma once

#include "app/SlotTable.h"
#include "panel/PanelModel.h"

#include <vector>

namespace kelvane {

class CXmit;

// Why the edits of a pair could not be written.
enum class WriteRefusal {
    kNone,
    kImageUnread,  // the module's image was not read at discovery, or is too short to hold its fields
    kImageTooLong,  // the rebuilt image would pass the 1,024 bytes a module holds
    kNamesUnread,  // a channel or CAM choice needs the input's service names, which could not be read
};

struct WriteOutcome {
    WriteRefusal refusal = WriteRefusal::kNone;
    int row = -1;  // the slot row of the module that stands in the way

    bool Written() const { return refusal == WriteRefusal::kNone; }
};

// Whether an image can be rebuilt at all: a module whose image could not be read, or whose image is too short
// to hold the fields every rewrite keeps, is never written over.
bool ImageRebuildable(const SlotRecord& record);

// Rebuilds the pair's images from the panel's fields: three encoding passes with the service tables
// reconciled between them, so that what one image implies for the other settles. All or nothing: when one
// image cannot be written, no record of the table changes and the outcome says why.
// When the rebuilt network information section says something new and the operator left its version as the
// module had it, the version goes up by one, so that receivers take the change.
WriteOutcome EncodePair(PanelModel& m, SlotTable& slots, SlotRecord& input, SlotRecord* output);

// What applying edits sent: the rows whose images went to their modules, and whether every request was answered.
struct SendReport {
    std::vector<int> rows;
    bool answered = true;
};

// The whole of applying edits once the fields hold them: encode, send what changed, and restart the outputs the
// input feeds when an input parameter changed. A refused encoding sends nothing.
WriteOutcome ApplyEditsToRack(PanelModel& m, SlotTable& slots, SlotRecord& input, SlotRecord* output, CXmit& link,
                              SendReport* sent = nullptr);

}  // namespace kelvane
