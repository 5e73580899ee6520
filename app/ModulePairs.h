#pragma once

#include "app/SlotTable.h"

#include <optional>

namespace kelvane {

// An input with the output that follows it in the rack (or none) and the CI modules counted between them.
struct ModulePair {
    int inputRow = -1;
    int outputRow = -1;  // -1: the input has no output
    int camCount = 0;
    bool operator==(const ModulePair&) const = default;
};

// The pair that row `row` belongs to, looking at the first `rowLimit` rows: for an input, the first output
// after it past any CI modules; for an output, the input before it past CI modules and other outputs.
// Nothing for an output with no input before it, or a row that is neither.
std::optional<ModulePair> FindModulePair(const SlotTable& slots, int row, int rowLimit);

}  // namespace kelvane
