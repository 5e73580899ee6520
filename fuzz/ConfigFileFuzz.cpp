// The configuration file reader over a file's bytes, then the summary the operator reads before an upload: once
// for a rack that matches what was read, once for one that does not.

#include "config/ConfigFile.h"
#include "config/ConfigSummary.h"
#include "fuzz/FuzzChecks.h"

#include <memory>

namespace kelvane::fuzz {
namespace {

// A rack with the file's module types, and one with every type shifted, so that both verdicts are summarised.
SlotTable RackOf(const LoadedConfig& loaded, std::uint8_t typeShift) {
    SlotTable slots;
    slots.ModuleCount = loaded.LoadedCount;
    for (std::size_t k = 0; k < loaded.LoadedCount; ++k) {
        slots[k].Type = static_cast<std::uint8_t>(loaded.LoadedTable[k].Type + typeShift);
        slots[k].Address = static_cast<std::uint8_t>(k);
    }
    return slots;
}

void Summarise(const LoadedConfig& loaded) {
    for (const std::uint8_t shift : {0, 1}) {
        const SlotTable slots = RackOf(loaded, shift);
        Require(ConfigMatches(slots, loaded) == (shift == 0 || loaded.LoadedCount == 0),
                "a rack of the file's own types matches it");
        Require(IsUtf8(ConfigSummaryText(slots, loaded)), "the summary is UTF-8");
    }
}

}  // namespace
}  // namespace kelvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvane;
    const auto loaded = std::make_unique<LoadedConfig>();
    loaded->LoadedTable[0].ConfigLength = 7;  // what an earlier file left
    const ConfigReadResult result = ReadConfigBytes({data, size}, *loaded);
    if (result != ConfigReadResult::Read) {
        fuzz::Require(loaded->LoadedCount == 0 && loaded->LoadedTable[0].ConfigLength == 7,
                      "a refused file changes nothing");
        return 0;
    }
    fuzz::Require(loaded->LoadedCount <= kSlotCount, "no more records than the slot table holds");
    for (std::size_t k = 0; k < loaded->LoadedCount; ++k) {
        fuzz::Require(loaded->LoadedTable[k].ConfigLength <= kConfigCapacity, "no record longer than its buffer");
    }
    fuzz::Summarise(*loaded);
    return 0;
}
