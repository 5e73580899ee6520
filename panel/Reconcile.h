#pragma once

#include "panel/PanelModel.h"

#include <cstdint>
#include <vector>

namespace kelvane {

// Brings the input and output service tables into agreement after a decode, an edit or a names reply.
// `outputServiceIdsOfInput` is what the outputs fed by this input carry (empty without an output).
// Until a names reply has been read whole (NamesRead) only the output entries on no channel are removed.
void ReconcileServices(PanelModel& m, const std::vector<std::uint16_t>& outputServiceIdsOfInput);

}  // namespace kelvane
