#include "app/ModulePairs.h"

#include "app/ModuleTypes.h"

#include <algorithm>

namespace kelvane {
namespace {

ModulePair OutputOf(const SlotTable& slots, int row, int rowLimit) {
    int camCount = 0;
    for (int next = row + 1; next < rowLimit; ++next) {
        const ModuleRole role = RoleOf(slots[next].Type);
        if (role == ModuleRole::Output) return {row, next, camCount};
        if (role != ModuleRole::CommonInterface) break;
        ++camCount;
    }
    return {row, -1, camCount};
}

std::optional<ModulePair> InputOf(const SlotTable& slots, int row) {
    int camCount = 0;
    for (int previous = row - 1; previous >= 1; --previous) {
        const ModuleRole role = RoleOf(slots[previous].Type);
        if (role == ModuleRole::Input) return ModulePair{previous, row, camCount};
        if (role == ModuleRole::CommonInterface) {
            ++camCount;
        } else if (role != ModuleRole::Output) {
            break;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<ModulePair> FindModulePair(const SlotTable& slots, int row, int rowLimit) {
    rowLimit = std::min<int>(rowLimit, slots.ModuleCount);
    if (row < 0 || row >= rowLimit) return std::nullopt;
    switch (RoleOf(slots[row].Type)) {
    case ModuleRole::Input: return OutputOf(slots, row, rowLimit);
    case ModuleRole::Output: return InputOf(slots, row);
    default: return std::nullopt;
    }
}

}  // namespace kelvane
