#include "config/ConfigSync.h"

#include "app/ModuleTypes.h"
#include "config/ImageFields.h"
#include "link/RequestCodes.h"
#include "link/Xmit.h"

#include <algorithm>

namespace kelvane {
namespace {

bool CarriesSentConfig(const SlotRecord& record) { return IsInputType(record.Type) || IsOutputType(record.Type); }

bool ChangedSinceSent(const SlotRecord& record) {
    const auto image = ValidImage(record);
    return record.SentLength != record.ConfigLength ||
           !std::equal(image.begin(), image.end(), record.SentConfig.begin());
}

void TakeAsSent(SlotRecord& record) {
    record.SentConfig = record.Config;
    record.SentLength = record.ConfigLength;
}

bool RestartOutput(CXmit& link, std::uint8_t address) {
    return link.XmitRequest({}, address, kRestartOutputCommand, kRestartOutputTimeout);
}

}  // namespace

void MarkConfigsSent(SlotTable& slots) {
    for (SlotRecord& record : slots.Records) {
        if (CarriesSentConfig(record)) TakeAsSent(record);
    }
}

void RevertUnsentConfigs(SlotTable& slots) {
    for (std::size_t row = 0; row < std::min<std::size_t>(slots.ModuleCount, kSlotCount); ++row) {
        SlotRecord& record = slots[row];
        if (!CarriesSentConfig(record) || !ChangedSinceSent(record)) continue;
        record.Config = record.SentConfig;
        record.ConfigLength = record.SentLength;
    }
}

bool SendChangedConfigs(CXmit& link, SlotTable& slots, std::vector<int>* sentRows) {
    bool answered = true;
    for (std::size_t row = 0; row < std::min<std::size_t>(slots.ModuleCount, kSlotCount); ++row) {
        SlotRecord& record = slots[row];
        if (!CarriesSentConfig(record) || !ChangedSinceSent(record)) continue;
        // A length the buffer cannot hold is a broken record: sending part of it would give the module an
        // image nobody wrote.
        if (record.ConfigLength > kConfigCapacity) continue;
        TakeAsSent(record);
        if (sentRows != nullptr) sentRows->push_back(static_cast<int>(row));
        answered &= link.XmitRequest(ValidImage(record), record.Address, kWriteCommand, kWriteTimeout);
        if (IsOutputType(record.Type)) answered &= RestartOutput(link, record.Address);
    }
    return answered;
}

bool RestartOutputModules(CXmit& link, const SlotTable& slots, std::uint8_t inputAddress) {
    bool answered = true;
    bool selected = false;
    bool restarted = false;
    for (std::size_t row = 0; row < std::min<std::size_t>(slots.ModuleCount, kSlotCount); ++row) {
        const SlotRecord& record = slots[row];
        if (inputAddress == kAllOutputs) {
            selected = true;
        } else if (IsInputType(record.Type)) {
            if (record.Address == inputAddress) {
                selected = true;
            } else if (restarted) {
                selected = false;
            }
        }
        if (IsOutputType(record.Type) && selected) {
            answered &= RestartOutput(link, record.Address);
            restarted = true;
        }
    }
    return answered;
}

}  // namespace kelvane
