#include "panel/Reconcile.h"

#include "panel/ServiceTables.h"

#include <algorithm>

namespace kelvane {
namespace {

int InputRows(const PanelModel& m) { return std::clamp(m.InputCount, 1, kMaxInputRows); }

// Removes the entries that `drop` selects, keeping the order of the others; returns how many went.
template <typename Entry, std::size_t N, typename Drop>
int RemoveIf(std::array<Entry, N>& entries, int& count, Drop drop) {
    const int before = std::clamp(count, 0, static_cast<int>(N));
    int kept = 0;
    for (int k = 0; k < before; ++k) {
        if (!drop(entries[k])) entries[kept++] = entries[k];
    }
    count = kept;
    return before - kept;
}

// A service can come from one input only: one that two rows pass on is taken off both.
void DropServicesOfTwoInputs(PanelModel& m) {
    const std::array<InputServiceTable, kMaxInputRows> before = m.InputServices;
    const auto inOtherRow = [&](int row, int serviceId) {
        for (int other = 0; other < InputRows(m); ++other) {
            if (other != row && HasInputService(before[other], serviceId)) return true;
        }
        return false;
    };
    for (int row = 0; row < InputRows(m); ++row) {
        InputServiceTable& table = m.InputServices[row];
        const auto shared = [&](const InputService& e) { return inOtherRow(row, e.ServiceId); };
        if (RemoveIf(table.entries, table.count, shared) > 0) m.InputDirty = true;
    }
}

void AddAnnouncedOutputServices(PanelModel& m, int row) {
    InputServiceTable& table = m.InputServices[row];
    const SiServiceTable& announced = m.InputSiServices[row];
    for (int k = 0; k < std::clamp(announced.count, 0, kMaxServicesPerRow); ++k) {
        const int id = announced.entries[k].ServiceId;
        if (HasOutputService(m, id) && !HasInputService(table, id)) FindOrAddInputService(table, id);
    }
}

}  // namespace

void ReconcileServices(PanelModel& m, const std::vector<std::uint16_t>& outputServiceIdsOfInput) {
    const bool hasOutput = m.OutputChannelCount >= 1;
    if (InputRows(m) == 1 && !hasOutput) return;

    const auto onNoChannel = [](const OutputService& s) { return s.OutputChannel == 0; };
    if (!m.NamesRead) {
        // Without the names nothing tells what the inputs carry, and a reply that did not come must not empty
        // a table: only an entry on no channel, which no image may hold, goes.
        if (RemoveIf(m.OutputServices, m.OutputServiceCount, onNoChannel) > 0) m.OutputDirty = true;
        return;
    }

    DropServicesOfTwoInputs(m);

    if (RemoveIf(m.OutputServices, m.OutputServiceCount, onNoChannel) > 0) m.OutputDirty = true;

    for (int row = 0; row < InputRows(m); ++row) {
        if (!hasOutput) m.InputServices[row].count = 0;
        AddAnnouncedOutputServices(m, row);
    }

    if (!hasOutput) return;
    const auto carried = [&outputServiceIdsOfInput](const InputService& e) {
        return std::find(outputServiceIdsOfInput.begin(), outputServiceIdsOfInput.end(), e.ServiceId) !=
               outputServiceIdsOfInput.end();
    };
    for (int row = 0; row < InputRows(m); ++row) {
        InputServiceTable& table = m.InputServices[row];
        if (RemoveIf(table.entries, table.count, [&carried](const InputService& e) { return !carried(e); }) > 0) {
            m.InputDirty = true;
        }
    }
    m.OutputDirty = true;
}

}  // namespace kelvane
