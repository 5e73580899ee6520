// Differences between two racks' configurations, decoded with the module panel's own codecs.

#include "tools/cli/RackDiff.h"

#include "app/ModuleTypes.h"
#include "config/ConfigFile.h"
#include "panel/InputConfigCodec.h"
#include "panel/LevelTable.h"
#include "panel/OutputConfigCodec.h"
#include "panel/PairModel.h"
#include "panel/Schedule.h"
#include "text/ControlCharacters.h"
#include "tools/cli/PairSettings.h"
#include "tools/cli/ParameterNames.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <sstream>

namespace kelvane {
namespace {

// The lines of one row, each prefixed with the row and its model.
class RowReport {
public:
    RowReport(std::vector<std::string>& lines, std::size_t row, std::uint8_t type) : lines_(lines) {
        prefix_ = "row " + std::to_string(row) + " " + ModuleTypeName(type) + ": ";
    }
    void Add(const std::string& text) {
        lines_.push_back(prefix_ + text);
        ++added_;
    }
    template <typename T>
    void Field(const std::string& name, const T& a, const T& b, const std::string& unit = "") {
        if (a == b) return;
        std::ostringstream text;
        text << name << ' ' << a << " -> " << b << unit;
        Add(text.str());
    }
    int Added() const { return added_; }

private:
    std::vector<std::string>& lines_;
    std::string prefix_;
    int added_ = 0;
};

// A name a module holds, quoted and safe to print.
std::string Quoted(const std::string& text) { return '"' + TerminalText(text) + '"'; }

// Decoded alone: a module's image holds all of its fields, whatever pair it stands in.
std::unique_ptr<PanelModel> InputModel(const SlotRecord& record) {
    auto m = std::make_unique<PanelModel>();
    m->InputType = record.Type;
    m->InputCount = InputRowsOfType(record.Type);
    DecodeInputConfig(record, *m);
    return m;
}

std::unique_ptr<PanelModel> OutputModel(const SlotRecord& record) {
    auto m = std::make_unique<PanelModel>();
    m->OutputType = record.Type;
    m->OutputChannelCount = OutputChannelCountOf(&record);
    DecodeOutputConfig(&record, *m);
    return m;
}

std::string InputFieldName(int row, const char* field) {
    return (row == 0 ? std::string("in.") : "in" + std::to_string(row + 1) + ".") + field;
}

void DiffInputRows(const PanelModel& a, const PanelModel& b, RowReport& report) {
    for (int r = 0; r < a.InputCount; ++r) {
        report.Field(InputFieldName(r, "freq"), a.InputFreqMHz[r], b.InputFreqMHz[r], " MHz");
        report.Field(InputFieldName(r, "symbolrate"), a.InputSymbolRate[r], b.InputSymbolRate[r]);
        const int fa = a.InputFecOrPolarity[r];
        const int fb = b.InputFecOrPolarity[r];
        if (a.InputType == kFecTunerType) {
            report.Field<std::string>(InputFieldName(r, "fec"), NameOf(kCodeRateNames, fa), NameOf(kCodeRateNames, fb));
        } else if (a.InputType == kPlayerType) {
            report.Field<std::string>(InputFieldName(r, "polarity"), NameOf(kPolarityNames, fa),
                                      NameOf(kPolarityNames, fb));
        } else {
            report.Field(InputFieldName(r, "setting"), fa, fb);
        }
    }
}

// Services of all input rows by id: the CI module that descrambles each.
std::map<int, int> InputServiceCams(const PanelModel& m) {
    std::map<int, int> cams;
    for (int r = 0; r < m.InputCount; ++r) {
        for (int k = 0; k < m.InputServices[r].count; ++k) {
            const InputService& s = m.InputServices[r].entries[k];
            cams.emplace(s.ServiceId, s.Cam);
        }
    }
    return cams;
}

void DiffInputServices(const PanelModel& a, const PanelModel& b, RowReport& report) {
    const auto ca = InputServiceCams(a);
    const auto cb = InputServiceCams(b);
    for (const auto& [id, cam] : ca) {
        const auto other = cb.find(id);
        const std::string name = "service " + std::to_string(id);
        if (other == cb.end()) {
            report.Add(name + " removed (CAM " + std::to_string(cam) + ")");
        } else {
            report.Field(name + " cam", cam, other->second);
        }
    }
    for (const auto& [id, cam] : cb) {
        if (!ca.contains(id)) report.Add("service " + std::to_string(id) + " added (CAM " + std::to_string(cam) + ")");
    }
}

std::string ScheduleText(const PanelModel& m) {
    std::string text;
    for (int k = 0; k < m.ScheduleCount; ++k) {
        const ScheduleEntry& e = m.Schedule[k];
        if (k) text += ", ";
        text += ScheduleTimeText(e.start) + "-" + ScheduleTimeText(e.end) + " " + TerminalText(e.file);
    }
    return text.empty() ? "(none)" : text;
}

void DiffPlayer(const PanelModel& a, const PanelModel& b, RowReport& report) {
    report.Field("player.service", a.PlayerServiceId, b.PlayerServiceId);
    report.Field("player.name", Quoted(a.PlayerServiceName), Quoted(b.PlayerServiceName));
    report.Field("player.rate", PlayerRateLabel(a.PlayerRateIndex), PlayerRateLabel(b.PlayerRateIndex));
    report.Field("schedule", ScheduleText(a), ScheduleText(b));
}

// The fields set names, walked as export writes them (both sides are of one type, so the walks line up), then
// the two that set does not take.
void DiffOutputParameters(const PanelModel& a, const PanelModel& b, RowReport& report) {
    const std::vector<TextSetting> fa = OutputSettingsOf(a);
    const std::vector<TextSetting> fb = OutputSettingsOf(b);
    const auto shown = [](const TextSetting& s) { return s.name == "network.name" ? Quoted(s.value) : s.value; };
    for (std::size_t k = 0; k < fa.size() && k < fb.size(); ++k) {
        if (fa[k].name != fb[k].name) continue;
        report.Field(fa[k].name, shown(fa[k]), shown(fb[k]), fa[k].name == "out.freq" ? " kHz" : "");
    }
    report.Field("network.version", int(a.NitVersion), int(b.NitVersion));
    report.Field<std::string>("CAT/EMM", a.RemoveCatEmm ? "removed" : "kept", b.RemoveCatEmm ? "removed" : "kept");
}

std::string OutputServiceText(const OutputService& s) {
    return "channel " + std::to_string(s.OutputChannel) + ", LCN " + std::to_string(s.Lcn) + ", HD LCN " +
           std::to_string(s.HdLcn) + (s.Activated ? ", descrambled" : "");
}

std::map<int, OutputService> OutputServicesById(const PanelModel& m) {
    std::map<int, OutputService> services;
    for (int k = 0; k < m.OutputServiceCount; ++k) services.emplace(m.OutputServices[k].ServiceId, m.OutputServices[k]);
    return services;
}

void DiffOutputServices(const PanelModel& a, const PanelModel& b, RowReport& report) {
    const auto sa = OutputServicesById(a);
    const auto sb = OutputServicesById(b);
    for (const auto& [id, s] : sa) {
        const std::string name = "service " + std::to_string(id);
        const auto other = sb.find(id);
        if (other == sb.end()) {
            report.Add(name + " removed (" + OutputServiceText(s) + ")");
            continue;
        }
        const OutputService& t = other->second;
        report.Field(name + " channel", int(s.OutputChannel), int(t.OutputChannel));
        report.Field(name + " lcn", s.Lcn, t.Lcn);
        report.Field(name + " hdlcn", s.HdLcn, t.HdLcn);
        report.Field<std::string>(name + " descrambled", s.Activated ? "yes" : "no", t.Activated ? "yes" : "no");
    }
    for (const auto& [id, s] : sb) {
        if (!sa.contains(id)) report.Add("service " + std::to_string(id) + " added (" + OutputServiceText(s) + ")");
    }
}

// The image as the codec would write it back from what it read: where it differs from the image itself, the
// image holds bytes that no field carries. Null for a module the panel does not decode.
std::optional<SlotRecord> RoundTrip(const SlotRecord& record) {
    SlotRecord copy = record;
    const ModuleRole role = RoleOf(record.Type);
    if (role == ModuleRole::Input && EncodeInputConfig(*InputModel(record), copy)) return copy;
    if (role == ModuleRole::Output && EncodeOutputConfig(*OutputModel(record), copy)) return copy;
    return std::nullopt;
}

std::string OffsetList(const std::vector<std::size_t>& offsets) {
    std::string text;
    for (std::size_t k = 0; k < offsets.size();) {
        std::size_t end = k;
        while (end + 1 < offsets.size() && offsets[end + 1] == offsets[end] + 1) ++end;
        if (!text.empty()) text += ", ";
        text += std::to_string(offsets[k]);
        if (end > k) text += "-" + std::to_string(offsets[end]);
        k = end + 1;
    }
    return text;
}

// Offsets where the images differ and neither side's byte is what its own fields give back (an older module's
// section, say, written otherwise than ours, beside one of ours is explained by the fields that changed). When no
// field differed at all, every differing byte is unexplained.
void DiffUnexplainedBytes(const SlotRecord& a, const SlotRecord& b, RowReport& report) {
    const auto ia = a.ConfigImage();
    const auto ib = b.ConfigImage();
    const auto ra = RoundTrip(a);
    const auto rb = RoundTrip(b);
    const bool fieldsDiffer = report.Added() > 0;
    const auto keeps = [](const std::optional<SlotRecord>& trip, std::span<const std::uint8_t> image, std::size_t k) {
        return trip && k < trip->ConfigLength && trip->Config[k] == image[k];
    };
    std::vector<std::size_t> offsets;
    for (std::size_t k = 0; k < std::max(ia.size(), ib.size()); ++k) {
        const bool inBoth = k < ia.size() && k < ib.size();
        if (inBoth && ia[k] == ib[k]) continue;
        if (fieldsDiffer && inBoth && (keeps(ra, ia, k) || keeps(rb, ib, k))) continue;
        if (fieldsDiffer && !inBoth) continue;  // a longer image holds more services, and they were named
        offsets.push_back(k);
    }
    if (!offsets.empty())
        report.Add("bytes at offsets " + OffsetList(offsets) + " differ where no field explains them");
}

void DiffRow(const SlotRecord& a, const SlotRecord& b, std::size_t row, std::vector<std::string>& lines) {
    RowReport report(lines, row, a.Type);
    const ModuleRole role = RoleOf(a.Type);
    if (role == ModuleRole::Input) {
        const auto ma = InputModel(a);
        const auto mb = InputModel(b);
        DiffInputRows(*ma, *mb, report);
        DiffInputServices(*ma, *mb, report);
        if (a.Type == kPlayerType) DiffPlayer(*ma, *mb, report);
    } else if (role == ModuleRole::Output) {
        const auto ma = OutputModel(a);
        const auto mb = OutputModel(b);
        DiffOutputParameters(*ma, *mb, report);
        DiffOutputServices(*ma, *mb, report);
    }
    DiffUnexplainedBytes(a, b, report);
}

std::string ModuleName(std::uint8_t type) {
    const char* name = ModuleTypeName(type);
    return *name ? name : "type " + std::to_string(type);
}

}  // namespace

RackDifferences DiffRacks(const SlotTable& a, const SlotTable& b, const std::string& first, const std::string& second) {
    RackDifferences diff;
    const std::size_t rows = std::max(a.ModuleCount, b.ModuleCount);
    for (std::size_t row = 0; row < rows && row < kSlotCount; ++row) {
        const bool inA = row < a.ModuleCount;
        const bool inB = row < b.ModuleCount;
        const std::string where = "row " + std::to_string(row) + ": ";
        if (!inA || !inB) {
            const SlotRecord& present = inA ? a[row] : b[row];
            diff.lines.push_back(where + ModuleName(present.Type) + " only in " + (inA ? first : second));
        } else if (a[row].Type != b[row].Type) {
            diff.lines.push_back(where + "module type differs: " + ModuleName(a[row].Type) + " in " + first + ", " +
                                 ModuleName(b[row].Type) + " in " + second);
        } else {
            DiffRow(a[row], b[row], row, diff.lines);
        }
    }
    return diff;
}

SlotTable SlotsOfFile(const LoadedConfig& loaded) {
    SlotTable slots;
    slots.ModuleCount = std::min<std::uint8_t>(loaded.LoadedCount, kSlotCount);
    for (std::size_t k = 0; k < slots.ModuleCount; ++k) {
        const SlotRecord& record = loaded.LoadedTable[k];
        slots[k].Type = record.Type;
        slots[k].ConfigLength = std::min<std::uint16_t>(record.ConfigLength, kConfigCapacity);
        slots[k].Config = record.Config;
    }
    return slots;
}

}  // namespace kelvane
