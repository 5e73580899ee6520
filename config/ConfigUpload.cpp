#include "config/ConfigUpload.h"

#include "config/ConfigSummary.h"
#include "config/ConfigSync.h"

namespace kelvane {

UploadResult UploadLoadedConfig(CXmit& link, SlotTable& slots, const LoadedConfig& loaded) {
    if (!ConfigMatches(slots, loaded)) return UploadResult::Mismatch;
    for (std::size_t row = 0; row < slots.ModuleCount; ++row) {
        slots[row].ConfigLength = loaded.LoadedTable[row].ConfigLength;
        slots[row].Config = loaded.LoadedTable[row].Config;
    }
    const bool written = SendChangedConfigs(link, slots);
    const bool restarted = RestartOutputModules(link, slots, kAllOutputs);
    return written && restarted ? UploadResult::Sent : UploadResult::Unanswered;
}

}  // namespace kelvane
