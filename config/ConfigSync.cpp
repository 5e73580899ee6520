#include "config/ConfigSync.h"

#include "app/ModuleTypes.h"

namespace kelvane {

void MarkConfigsSent(SlotTable& slots) {
    for (SlotRecord& record : slots.Records) {
        if (!IsInputType(record.Type) && !IsOutputType(record.Type)) continue;
        record.SentConfig = record.Config;
        record.SentLength = record.ConfigLength;
    }
}

}  // namespace kelvane
