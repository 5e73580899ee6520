#include "panel/ServiceList.h"

#include "app/ModuleTypes.h"
#include "app/TextFormat.h"
#include "panel/EditNumbers.h"
#include "panel/NetworkSection.h"
#include "panel/ServiceTables.h"

#include <algorithm>
#include <span>

namespace kelvane {
namespace {

void AddPlayerRow(PanelModel& m) {
    if (ServiceRow* row = FindOrAddServiceRow(m, static_cast<std::uint16_t>(m.PlayerServiceId))) {
        row->Source = kPlayerSource;
        row->Name = m.PlayerServiceName;
        row->ServiceKind = kTelevision;
    }
}

void AddInputRows(PanelModel& m, int input) {
    const SiServiceTable& announced = m.InputSiServices[input];
    for (int k = 0; k < std::clamp(announced.count, 0, kMaxServicesPerRow); ++k) {
        const SiService& service = announced.entries[k];
        if (ServiceRow* row = FindOrAddServiceRow(m, static_cast<std::uint16_t>(service.ServiceId))) {
            row->Source = static_cast<std::uint8_t>(input);
            row->Name = service.Name;
            row->ServiceKind = service.ServiceKind;
            row->Scrambled = service.Scrambled;
        }
    }
    const InputServiceTable& passed = m.InputServices[input];
    for (int k = 0; k < std::clamp(passed.count, 0, kMaxServicesPerRow); ++k) {
        const InputService& service = passed.entries[k];
        if (ServiceRow* row = FindOrAddServiceRow(m, static_cast<std::uint16_t>(service.ServiceId))) {
            row->Cam = service.Cam;
        }
    }
}

void AddOutputRows(PanelModel& m) {
    for (int k = 0; k < std::clamp(m.OutputServiceCount, 0, kMaxOutputServices); ++k) {
        const OutputService& service = m.OutputServices[k];
        if (ServiceRow* row = FindOrAddServiceRow(m, static_cast<std::uint16_t>(service.ServiceId))) {
            row->Lcn = service.Lcn;
            row->HdLcn = service.HdLcn;
            row->OutputChannel = service.OutputChannel;
        }
    }
}

// Clicking a column that stands for nothing on this pair keeps the clicked row's value, which then goes to every
// selected row.
int ToggledValue(int current, int clicked, int limit) {
    if (clicked > limit) return current;
    return current == clicked ? 0 : clicked;
}

bool IsRow(const PanelModel& m, int row) { return row >= 0 && row < std::clamp(m.ServiceRowCount, 0, kMaxServiceRows); }

void MarkEdited(PanelModel& m) {
    m.ServicesEdited = true;
    m.InputDirty = true;
    m.OutputDirty = true;
    BuildServiceList(m);
}

}  // namespace

int InputRows(const PanelModel& m) { return std::clamp(m.InputCount, 1, kMaxInputRows); }
bool HasOutput(const PanelModel& m) { return m.OutputChannelCount >= 1; }
bool IsPlayerService(const PanelModel& m, const ServiceRow& row) { return row.ServiceId == m.PlayerServiceId; }

void BuildServiceList(PanelModel& m) {
    m.ServiceRowCount = 0;
    if (m.ScheduleCount > 0) AddPlayerRow(m);
    for (int input = 0; input < InputRows(m); ++input) AddInputRows(m, input);
    AddOutputRows(m);
    if (!HasOutput(m) && InputRows(m) == 1) {
        for (int r = 0; r < m.ServiceRowCount; ++r) m.ServiceRows[r].OutputChannel = 1;
    }
    m.PlayerServiceSource = kPlayerSource;
    for (int r = 0; r < m.ServiceRowCount; ++r) {
        if (IsPlayerService(m, m.ServiceRows[r])) m.PlayerServiceSource = m.ServiceRows[r].Source;
    }
}

bool ToggleCam(PanelModel& m, int clickedRow, int camNumber, const std::vector<int>& selectedRows,
               bool& refusedUnidentified) {
    refusedUnidentified = false;
    if (!IsRow(m, clickedRow) || camNumber < 1 || camNumber > kLastCamColumn - kFirstCamColumn + 1) return false;
    const int cam = ToggledValue(m.ServiceRows[clickedRow].Cam, camNumber, m.CamCount);
    bool touched = false;
    for (const int r : selectedRows) {
        if (!IsRow(m, r)) continue;
        const ServiceRow& row = m.ServiceRows[r];
        if (row.Source == kUnannouncedSource) {
            refusedUnidentified = true;
            continue;
        }
        if (row.Source >= InputRows(m)) continue;
        if (InputService* service = FindOrAddInputService(m.InputServices[row.Source], row.ServiceId)) {
            service->Cam = static_cast<std::uint8_t>(cam);
            touched = true;
        }
    }
    if (touched) MarkEdited(m);
    return touched;
}

bool ToggleChannel(PanelModel& m, int clickedRow, int channel, const std::vector<int>& selectedRows,
                   const std::function<void(std::uint16_t serviceId, int newChannel)>& updateChainedPlayers) {
    if (!IsRow(m, clickedRow) || channel < 1 || channel > kMaxOutputChannels) return false;
    const int limit = HasOutput(m) ? m.OutputChannelCount : 1;
    const int newChannel = ToggledValue(m.ServiceRows[clickedRow].OutputChannel, channel, limit);
    const bool routable = HasOutput(m) || m.InputType == kPlayerType;
    bool touched = false;
    for (const int r : selectedRows) {
        if (!IsRow(m, r)) continue;
        touched = true;
        if (!routable) continue;
        const std::uint16_t id = m.ServiceRows[r].ServiceId;
        if (!HasOutputService(m, id) && m.OutputServiceCount >= kMaxOutputServices) continue;
        if (updateChainedPlayers) updateChainedPlayers(id, newChannel);
        if (OutputService* service = FindOrAddOutputService(m, id)) {
            service->OutputChannel = static_cast<std::uint8_t>(newChannel);
        }
    }
    if (touched) MarkEdited(m);
    return touched;
}

std::string LcnEditText(const ServiceRow& row, int column) {
    return FormatText("%d", {column == kHdLcnColumn ? row.HdLcn : row.Lcn});
}

LcnEdit ApplyLcnEdit(PanelModel& m, std::uint16_t serviceId, int column, const std::optional<std::string>& text,
                     int& typed) {
    if (!text || (column != kLcnColumn && column != kHdLcnColumn)) return LcnEdit::kNothing;
    const auto rows =
        std::span(m.ServiceRows).first(static_cast<std::size_t>(std::clamp(m.ServiceRowCount, 0, kMaxServiceRows)));
    if (std::none_of(rows.begin(), rows.end(), [&](const ServiceRow& r) { return r.ServiceId == serviceId; })) {
        return LcnEdit::kNothing;
    }
    typed = ParseEditNumber(*text);
    if (typed > kMaxLcn) return LcnEdit::kOutOfRange;
    OutputService* service = FindOrAddOutputService(m, serviceId);
    if (service == nullptr) return LcnEdit::kNothing;
    (column == kLcnColumn ? service->Lcn : service->HdLcn) = static_cast<std::uint16_t>(std::max(typed, 0));
    BuildServiceList(m);
    m.OutputDirty = true;
    return LcnEdit::kStored;
}

}  // namespace kelvane
