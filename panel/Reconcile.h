#pragma once

#include "panel/PanelModel.h"

#include <cstdint>
#include <vector>

namespace kelvane {

// Brings the input and output service tables into agreement after a decode, an edit or a names reply.
// `outputServiceIdsOfInput` is what the outputs fed by this input carry (empty without an output).
void ReconcileServices(PanelModel& m, const std::vector<std::uint16_t>& outputServiceIdsOfInput);

}  // namespace kelvane
