#include "tools/watch/RackWatch.h"

#include "app/DiscoveryExchanges.h"
#include "app/ModuleTypes.h"
#include "config/ChainEdits.h"
#include "link/Xmit.h"
#include "panel/PairModel.h"
#include "panel/Reconcile.h"
#include "panel/ServiceList.h"
#include "panel/ServiceNames.h"
#include "panel/StatusReplies.h"

#include <algorithm>

namespace kelvane {
namespace {

constexpr std::uint8_t kControllerAddress = 0;

// Whether a row points at a satellite carrier at all: a row left outside the band, or without a symbol rate,
// passes nothing and can never lock.
bool Tuned(const PanelModel& m, int row) {
    return m.InputFreqMHz[row] >= kSatFreqMinMHz && m.InputFreqMHz[row] <= kSatFreqMaxMHz &&
           m.InputSymbolRate[row] > 0;
}

std::vector<ServiceReading> ServicesOnChannel(const PanelModel& m, int channel) {
    std::vector<ServiceReading> services;
    const int rows = std::clamp(m.ServiceRowCount, 0, kMaxServiceRows);
    for (int r = 0; r < rows; ++r) {
        const ServiceRow& row = m.ServiceRows[r];
        if (row.OutputChannel == channel) services.push_back({row.ServiceId, row.Name, row.Rate});
    }
    return services;
}

}  // namespace

std::vector<ModulePair> PairsToWatch(const SlotTable& slots, const std::vector<int>& rows, std::vector<int>& unpaired) {
    std::vector<ModulePair> pairs;
    const auto take = [&](int row) {
        const std::optional<ModulePair> pair = FindModulePair(slots, row, static_cast<int>(kSlotCount));
        if (!pair) return false;
        if (std::find(pairs.begin(), pairs.end(), *pair) == pairs.end()) pairs.push_back(*pair);
        return true;
    };
    if (rows.empty()) {
        for (int row = 1; row < slots.ModuleCount; ++row) {
            if (IsInputType(slots[static_cast<std::size_t>(row)].Type)) take(row);
        }
    }
    for (const int row : rows) {
        if (!take(row)) unpaired.push_back(row);
    }
    std::sort(pairs.begin(), pairs.end(), [](const ModulePair& a, const ModulePair& b) { return a.inputRow < b.inputRow; });
    return pairs;
}

RackWatch::RackWatch(CXmit& link, const SlotTable& slots, const std::vector<ModulePair>& pairs)
    : link_(link), slots_(slots) {
    watched_.reserve(pairs.size());
    for (const ModulePair& pair : pairs) {
        const SlotRecord* output = pair.outputRow >= 0 ? &slots_[static_cast<std::size_t>(pair.outputRow)] : nullptr;
        watched_.push_back({pair, ModelOfPair(pair.camCount, slots_[static_cast<std::size_t>(pair.inputRow)], output)});
    }
}

WatchRound RackWatch::Poll(std::time_t now) {
    WatchRound round;
    round.time = now;
    round.rackFound = true;
    for (Watched& w : watched_) {
        if (!PollPair(w, round)) {
            round.rackFound = false;
            break;
        }
    }
    if (round.rackFound) link_.TakeLinkLost();
    round.pollFailures = failures_;
    return round;
}

bool RackWatch::PollPair(Watched& w, WatchRound& round) {
    return PollInput(w, round) && PollOutput(w, round);
}

bool RackWatch::PollInput(Watched& w, WatchRound& round) {
    const SlotRecord& input = slots_[static_cast<std::size_t>(w.pair.inputRow)];
    PanelModel& m = w.model;
    const bool answered = Ask(input.Address, kInputStatusCommand, kInputStatusTimeout);
    if (!answered && !RackAnswers()) return false;
    const InputStatus status = answered ? ParseInputStatus(link_.Reply(), m.InputCount) : InputStatus{};
    bool lockChanged = false;
    for (int r = 0; r < status.rows; ++r) {
        if (status.lock[r] != w.lockState[r]) {
            w.lockState[r] = status.lock[r];
            lockChanged = true;
        }
    }
    if (lockChanged) ReadServiceNames(w);
    const std::string model = ModuleTypeName(input.Type);
    round.modules.push_back({w.pair.inputRow, model, answered});
    for (int r = 0; r < std::clamp(m.InputCount, 0, kMaxInputRows); ++r) {
        InputReading reading{w.pair.inputRow, model, r, Tuned(m, r), r < status.rows};
        reading.lock = status.lock[r];
        reading.level = status.level[r];
        reading.snr = status.snr[r];
        reading.services = m.InputSiServices[r].count;
        round.inputs.push_back(reading);
    }
    return true;
}

void RackWatch::ReadServiceNames(Watched& w) {
    const SlotRecord& input = slots_[static_cast<std::size_t>(w.pair.inputRow)];
    const bool named = Ask(input.Address, kListsCommand, kListsTimeout) && link_.ReplyLength() != 0;
    ParseServiceNames(named ? link_.Reply() : std::span<const std::uint8_t>{}, w.model);
    ReconcileServices(w.model, CollectOutputServiceIds(slots_, input.Address));
    BuildServiceList(w.model);
}

bool RackWatch::PollOutput(Watched& w, WatchRound& round) {
    PanelModel& m = w.model;
    if (w.pair.outputRow < 0 || m.OutputChannelCount < 1) {
        ApplyServiceRates(m, {});
        return true;
    }
    const SlotRecord& output = slots_[static_cast<std::size_t>(w.pair.outputRow)];
    const bool answered = Ask(output.Address, kListsCommand, kListsTimeout);
    if (!answered && !RackAnswers()) return false;
    const OutputRates rates = answered ? ParseOutputRates(link_.Reply(), m.OutputChannelCount, output.Type) : OutputRates{};
    ApplyServiceRates(m, rates.services);
    const std::string model = ModuleTypeName(output.Type);
    round.modules.push_back({w.pair.outputRow, model, answered});
    for (int k = 0; k < m.OutputChannelCount; ++k) {
        ChannelReading channel;
        channel.row = w.pair.outputRow;
        channel.model = model;
        channel.channel = k + 1;
        channel.answered = k < static_cast<int>(rates.channels.size());
        if (channel.answered) {
            channel.inUse = rates.channels[static_cast<std::size_t>(k)].inUse;
            channel.capacity = rates.channels[static_cast<std::size_t>(k)].capacity;
        }
        channel.services = ServicesOnChannel(m, k + 1);
        round.channels.push_back(std::move(channel));
    }
    return true;
}

bool RackWatch::Ask(std::uint8_t address, std::uint8_t command, int timeout) {
    if (link_.XmitRequest({}, address, command, timeout)) return true;
    ++failures_;
    return false;
}

bool RackWatch::RackAnswers() {
    return ProbeIdentity(link_, kControllerAddress).has_value();
}

}  // namespace kelvane
