#include "tools/watch/RackWatch.h"

#include "app/DiscoveryExchanges.h"
#include "app/ModuleTypes.h"
#include "link/Xmit.h"
#include "panel/PairModel.h"

#include <algorithm>

namespace kelvane {
namespace {

constexpr std::uint8_t kControllerAddress = 0;

// Whether a row points at a satellite carrier at all: a row left outside the band, or without a symbol rate,
// passes nothing and can never lock.
bool Tuned(const PanelModel& m, int row) {
    return m.InputFreqMHz[row] >= kSatFreqMinMHz && m.InputFreqMHz[row] <= kSatFreqMaxMHz && m.InputSymbolRate[row] > 0;
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
    std::sort(pairs.begin(), pairs.end(),
              [](const ModulePair& a, const ModulePair& b) { return a.inputRow < b.inputRow; });
    return pairs;
}

RackWatch::RackWatch(CXmit& link, const SlotTable& slots, const std::vector<ModulePair>& pairs)
    : link_(link), slots_(slots) {
    watched_.reserve(pairs.size());
    for (const ModulePair& pair : pairs) {
        const SlotRecord* output = pair.outputRow >= 0 ? &slots_[static_cast<std::size_t>(pair.outputRow)] : nullptr;
        const SlotRecord& input = slots_[static_cast<std::size_t>(pair.inputRow)];
        watched_.push_back({pair, ModelOfPair(pair.camCount, input, output), PairPoller(link_, slots_, input, output)});
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
    round.pollFailures = PollFailures();
    return round;
}

std::uint64_t RackWatch::PollFailures() const {
    std::uint64_t failures = 0;
    for (const Watched& w : watched_) failures += w.poller.Failures();
    return failures;
}

bool RackWatch::PollPair(Watched& w, WatchRound& round) { return PollInput(w, round) && PollOutput(w, round); }

bool RackWatch::PollInput(Watched& w, WatchRound& round) {
    const SlotRecord& input = slots_[static_cast<std::size_t>(w.pair.inputRow)];
    const PanelModel& m = w.model;
    const InputPoll poll = w.poller.PollInput(w.model);
    if (!poll.answered && !RackAnswers()) return false;
    const std::string model = ModuleTypeName(input.Type);
    round.modules.push_back({w.pair.inputRow, model, poll.answered});
    for (int r = 0; r < std::clamp(m.InputCount, 0, kMaxInputRows); ++r) {
        InputReading reading{w.pair.inputRow, model, r, Tuned(m, r), r < poll.status.rows};
        reading.lock = poll.status.lock[r];
        reading.level = poll.status.level[r];
        reading.snr = poll.status.snr[r];
        reading.services = m.InputSiServices[r].count;
        round.inputs.push_back(reading);
    }
    return true;
}

bool RackWatch::PollOutput(Watched& w, WatchRound& round) {
    const PanelModel& m = w.model;
    const OutputPoll poll = w.poller.PollOutput(w.model);
    if (!poll.asked) return true;
    if (!poll.answered && !RackAnswers()) return false;
    const SlotRecord& output = slots_[static_cast<std::size_t>(w.pair.outputRow)];
    const std::string model = ModuleTypeName(output.Type);
    round.modules.push_back({w.pair.outputRow, model, poll.answered});
    for (int k = 0; k < m.OutputChannelCount; ++k) {
        ChannelReading channel;
        channel.row = w.pair.outputRow;
        channel.model = model;
        channel.channel = k + 1;
        channel.answered = k < static_cast<int>(poll.rates.channels.size());
        if (channel.answered) {
            channel.inUse = poll.rates.channels[static_cast<std::size_t>(k)].inUse;
            channel.capacity = poll.rates.channels[static_cast<std::size_t>(k)].capacity;
        }
        channel.services = ServicesOnChannel(m, k + 1);
        round.channels.push_back(std::move(channel));
    }
    return true;
}

bool RackWatch::RackAnswers() { return ProbeIdentity(link_, kControllerAddress).has_value(); }

}  // namespace kelvane
