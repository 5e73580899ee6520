#include "panel/StatusReplies.h"

#include "app/ModuleTypes.h"
#include "app/TextFormat.h"
#include "panel/ImageBytes.h"

#include <algorithm>

namespace kelvane {

// An input's status reply: lock, S.N.R. and level for each row. An output's rates reply: from byte 4 a block for
// each channel (the rate in use and the capacity first), then a service id and its rate for each service.
constexpr std::size_t kInputRowSize = 3;
constexpr std::size_t kFirstChannelOffset = 4;
constexpr std::size_t kChannelSize = 12;
constexpr std::size_t kServicePairSize = 4;
constexpr std::uint32_t kKilo = 1000;

LockState ReadLockState(std::uint8_t lock) {
    switch (lock) {
    case 0: return LockState::NoLock;
    case 1: return LockState::Carrier;
    case 2: return LockState::Locked;
    default: return LockState::Undefined;
    }
}

InputStatus ParseInputStatus(std::span<const std::uint8_t> reply, int inputCount) {
    const int rows = std::clamp(inputCount, 0, kMaxInputRows);
    InputStatus status;
    for (int i = 0; i < rows && (i + 1) * kInputRowSize <= reply.size(); ++i) {
        status.lock[i] = reply[i * kInputRowSize];
        status.snr[i] = reply[i * kInputRowSize + 1];
        status.level[i] = reply[i * kInputRowSize + 2];
        status.rows = i + 1;
    }
    const std::size_t playerAt = static_cast<std::size_t>(rows) * kInputRowSize;
    if (playerAt < reply.size()) status.player = reply[playerAt];
    return status;
}

OutputRates ParseOutputRates(std::span<const std::uint8_t> reply, int outputChannelCount, std::uint8_t outputType) {
    const ByteReader bytes(reply);
    OutputRates rates;
    const int channels = std::clamp(outputChannelCount, 0, kMaxOutputChannels);
    for (int k = 0; k < channels; ++k) {
        const std::size_t at = kFirstChannelOffset + kChannelSize * k;
        if (!bytes.Has(at, 8)) break;
        rates.channels.push_back({bytes.U32(at), bytes.U32(at + 4)});
    }
    // The pairs start after the block of four channels even when fewer are in use; only the one-channel output
    // has a shorter block.
    const std::size_t blocks = outputType == kSingleChannelOutputType ? 1 : kMaxOutputChannels;
    for (std::size_t at = kFirstChannelOffset + kChannelSize * blocks; bytes.Has(at, kServicePairSize);
         at += kServicePairSize) {
        rates.services.emplace_back(bytes.U16(at), bytes.U16(at + 2));
    }
    return rates;
}

std::string ChannelRateLabel(const ChannelRate& rate) {
    return FormatText("%d/%d Kbit/s", {rate.inUse / kKilo, rate.capacity / kKilo});
}

void ApplyServiceRates(PanelModel& m, const std::vector<std::pair<std::uint16_t, std::uint16_t>>& services) {
    const int rows = std::clamp(m.ServiceRowCount, 0, kMaxServiceRows);
    for (int r = 0; r < rows; ++r) m.ServiceRows[r].Rate = 0;
    for (const auto& [serviceId, rate] : services) {
        for (int r = 0; r < rows; ++r) {
            if (m.ServiceRows[r].ServiceId == serviceId) m.ServiceRows[r].Rate = rate;
        }
    }
}

}  // namespace kelvane
