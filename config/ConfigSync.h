#pragma once

#include "app/SlotTable.h"

#include <cstdint>
#include <vector>

namespace kelvane {

class CXmit;

// Restarting with this "input address" restarts every output module of the rack.
constexpr std::uint8_t kAllOutputs = 0xFF;

// After discovery the images just read are what the modules hold: remember them as sent, so that only later
// changes go back to the modules.
void MarkConfigsSent(SlotTable& slots);

// Takes back every image change not yet sent: each input and output image becomes the copy last sent again.
// After a refused change, so that edits made along the way (the chained players' lists) do not go out later.
void RevertUnsentConfigs(SlotTable& slots);

// Writes every input and output image that differs from the copy last sent to its module (0x50), and restarts
// each output module so written (0x80). The copy is taken before sending, so a failed request is not repeated
// by the next call: a failure sets LinkLost and the rediscovery that follows reads the modules afresh.
// True when every request was answered. `sentRows`, when given, gets the row of every image sent.
bool SendChangedConfigs(CXmit& link, SlotTable& slots, std::vector<int>* sentRows = nullptr);

// Restarts the output modules that the input at `inputAddress` feeds (kAllOutputs: every output module):
// those that follow it in the list, up to the first input that comes after a restarted output.
// True when every request was answered.
bool RestartOutputModules(CXmit& link, const SlotTable& slots, std::uint8_t inputAddress);

}  // namespace kelvane
