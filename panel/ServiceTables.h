#pragma once

#include "panel/PanelModel.h"

namespace kelvane {

// Find-or-add by service id in the panel's tables. A new entry starts with every other field 0 (a new row with
// Source 255 and no name). A full table adds nothing: the result is then null and the caller leaves that
// service alone.
InputService* FindOrAddInputService(InputServiceTable& table, int serviceId);
OutputService* FindOrAddOutputService(PanelModel& m, int serviceId);
ServiceRow* FindOrAddServiceRow(PanelModel& m, std::uint16_t serviceId);

bool HasInputService(const InputServiceTable& table, int serviceId);
bool HasOutputService(const PanelModel& m, int serviceId);

}  // namespace kelvane
