#include "panel/ServiceTables.h"

#include <algorithm>

namespace kelvane {
namespace {

template <typename Entry>
Entry* Find(Entry* first, int count, int serviceId) {
    Entry* last = first + count;
    Entry* found = std::find_if(first, last, [serviceId](const Entry& e) { return e.ServiceId == serviceId; });
    return found != last ? found : nullptr;
}

}  // namespace

InputService* FindOrAddInputService(InputServiceTable& table, int serviceId) {
    table.count = std::clamp(table.count, 0, kMaxServicesPerRow);
    if (InputService* found = Find(table.entries.data(), table.count, serviceId)) return found;
    if (table.count == kMaxServicesPerRow) return nullptr;
    InputService& added = table.entries[table.count++];
    added = {serviceId, 0};
    return &added;
}

OutputService* FindOrAddOutputService(PanelModel& m, int serviceId) {
    m.OutputServiceCount = std::clamp(m.OutputServiceCount, 0, kMaxOutputServices);
    if (OutputService* found = Find(m.OutputServices.data(), m.OutputServiceCount, serviceId)) return found;
    if (m.OutputServiceCount == kMaxOutputServices) return nullptr;
    OutputService& added = m.OutputServices[m.OutputServiceCount++];
    added = {serviceId, 0, 0, 0, 0};
    return &added;
}

ServiceRow* FindOrAddServiceRow(PanelModel& m, std::uint16_t serviceId) {
    m.ServiceRowCount = std::clamp(m.ServiceRowCount, 0, kMaxServiceRows);
    ServiceRow* last = m.ServiceRows.data() + m.ServiceRowCount;
    ServiceRow* found = std::find_if(m.ServiceRows.data(), last,
                                     [serviceId](const ServiceRow& row) { return row.ServiceId == serviceId; });
    if (found != last) return found;
    if (m.ServiceRowCount == kMaxServiceRows) return nullptr;
    ServiceRow& added = m.ServiceRows[m.ServiceRowCount++];
    added = ServiceRow{};
    added.ServiceId = serviceId;
    return &added;
}

bool HasInputService(const InputServiceTable& table, int serviceId) {
    const int count = std::clamp(table.count, 0, kMaxServicesPerRow);
    return std::any_of(table.entries.begin(), table.entries.begin() + count,
                       [serviceId](const InputService& e) { return e.ServiceId == serviceId; });
}

bool HasOutputService(const PanelModel& m, int serviceId) {
    const int count = std::clamp(m.OutputServiceCount, 0, kMaxOutputServices);
    return std::any_of(m.OutputServices.begin(), m.OutputServices.begin() + count,
                       [serviceId](const OutputService& e) { return e.ServiceId == serviceId; });
}

}  // namespace kelvane
