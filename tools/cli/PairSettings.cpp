// The settings of a module pair by the names kelvane-cli takes: what set and apply change, and what export writes.

#include "tools/cli/PairSettings.h"

#include "app/MessageCatalogue.h"
#include "app/ModuleTypes.h"
#include "config/ChainEdits.h"
#include "link/Xmit.h"
#include "panel/FieldRanges.h"
#include "panel/LevelTable.h"
#include "panel/NetworkSection.h"
#include "panel/PairPoller.h"
#include "panel/PairModel.h"
#include "panel/Reconcile.h"
#include "panel/ServiceList.h"
#include "panel/ServiceNames.h"
#include "panel/ServiceTables.h"
#include "panel/StatusReplies.h"
#include "text/ControlCharacters.h"
#include "text/Utf8.h"
#include "tools/cli/ParameterNames.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>
#include <span>

namespace kelvane {
namespace {

std::optional<int> IndexIn(std::span<const char* const> names, const std::string& value) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (value == names[i]) return static_cast<int>(i);
    }
    int index = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), index);
    if (ec == std::errc{} && end == value.data() + value.size() && index >= 0 &&
        index < static_cast<int>(names.size())) {
        return index;
    }
    return std::nullopt;
}

std::optional<long> WholeNumber(const std::string& value, long low, long high) {
    long number = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (ec != std::errc{} || end != value.data() + value.size() || number < low || number > high) return std::nullopt;
    return number;
}

int InputRowAnnouncing(const PanelModel& m, int serviceId) {
    for (int r = 0; r < m.InputCount; ++r) {
        for (int k = 0; k < m.InputSiServices[r].count; ++k) {
            if (m.InputSiServices[r].entries[k].ServiceId == serviceId) return r;
        }
        for (int k = 0; k < m.InputServices[r].count; ++k) {
            if (m.InputServices[r].entries[k].ServiceId == serviceId) return r;
        }
    }
    return -1;
}

// The service's entry in the output's table, added when it has none; null, with the reason, when the table is full.
OutputService* OutputEntry(PanelModel& m, int serviceId, std::string& why) {
    OutputService* service = FindOrAddOutputService(m, serviceId);
    if (service == nullptr) why = "the output's service table is full";
    return service;
}

InputService* InputEntry(InputServiceTable& table, int serviceId, std::string& why) {
    InputService* service = FindOrAddInputService(table, serviceId);
    if (service == nullptr) why = "the input's service table is full";
    return service;
}

// A service's way through the pair changed: both images carry it, and the service list is built again.
bool RouteEdited(PanelModel& m) {
    m.InputDirty = m.OutputDirty = m.ServicesEdited = true;
    return true;
}

bool SetServiceChannel(PairSession& s, int serviceId, const std::string& value, std::string& why) {
    PanelModel& m = s.model;
    const long limit = m.OutputChannelCount >= 1 ? m.OutputChannelCount : 1;
    const auto channel = WholeNumber(value, 0, limit);
    if (!channel) {
        why = "wants a channel from 0 (none) to " + std::to_string(limit);
        return false;
    }
    if (m.OutputChannelCount < 1 && m.InputType != kPlayerType) {
        why = "the pair has no output";
        return false;
    }
    UpdateChainedPlayers(s.slots, s.input->Address, static_cast<std::uint16_t>(serviceId), *channel != 0);
    OutputService* service = OutputEntry(m, serviceId, why);
    if (service == nullptr) return false;
    service->OutputChannel = static_cast<std::uint8_t>(*channel);
    return RouteEdited(m);
}

bool SetServiceCam(PanelModel& m, int serviceId, const std::string& value, std::string& why) {
    const auto cam = WholeNumber(value, 0, m.CamCount);
    const int row = InputRowAnnouncing(m, serviceId);
    if (!cam || row < 0) {
        why = !cam ? "wants a CAM from 0 (none) to " + std::to_string(m.CamCount) : "no input announces this service";
        return false;
    }
    InputService* service = InputEntry(m.InputServices[row], serviceId, why);
    if (service == nullptr) return false;
    service->Cam = static_cast<std::uint8_t>(*cam);
    return RouteEdited(m);
}

bool SetServiceNumber(PanelModel& m, int serviceId, bool hd, const std::string& value, std::string& why) {
    // A number for a service the pair does not carry would add an entry the rack never asked for.
    if (!HasOutputService(m, serviceId) && InputRowAnnouncing(m, serviceId) < 0) {
        why = "service " + std::to_string(serviceId) + " is not on this pair (kelvane-cli show lists its services)";
        return false;
    }
    const auto number = WholeNumber(value, 0, kMaxLcn);
    if (!number || m.OutputChannelCount < 1) {
        why = m.OutputChannelCount < 1 ? "the pair has no output" : "wants a number from 0 to 1023";
        return false;
    }
    OutputService* service = OutputEntry(m, serviceId, why);
    if (service == nullptr) return false;
    (hd ? service->HdLcn : service->Lcn) = static_cast<std::uint16_t>(*number);
    m.OutputDirty = true;
    return true;
}

bool SetServiceField(PairSession& s, const std::string& name, const std::string& value, std::string& why) {
    const std::size_t dot = name.find('.', 8);
    if (name.rfind("service.", 0) != 0 || dot == std::string::npos) {
        why = "is not a setting kelvane-cli knows (see --help)";
        return false;
    }
    const auto id = WholeNumber(name.substr(8, dot - 8), 0, 65535);
    const std::string field = name.substr(dot + 1);
    if (!id) {
        why = "names no service id";
        return false;
    }
    const int serviceId = static_cast<int>(*id);
    if (field == "channel") return SetServiceChannel(s, serviceId, value, why);
    if (field == "cam") return SetServiceCam(s.model, serviceId, value, why);
    if (field == "lcn" || field == "hdlcn") return SetServiceNumber(s.model, serviceId, field == "hdlcn", value, why);
    why = "is not a service setting (channel, cam, lcn, hdlcn)";
    return false;
}

// Why `value` cannot be the network name the section carries: at most 30 characters, each one Latin-1 byte on
// the wire and none a control; empty when it can. Nothing is cut or replaced: the operator chooses again.
std::string NetworkNameProblem(const std::string& value) {
    const std::size_t length = Utf8Length(value);
    if (length > kMaxNetworkNameLength) {
        return "takes at most " + std::to_string(kMaxNetworkNameLength) + " characters, not " + std::to_string(length);
    }
    for (std::size_t at = 0, position = 1; at < value.size(); ++position) {
        const auto c = NextUtf8Character(value, at);
        const std::string where = "character " + std::to_string(position);
        if (!c) return where + " is not UTF-8 text";
        if (IsControlCharacter(*c)) return where + " is a control character";
        if (*c > 0xFF) return where + " is not in Latin-1, the one character set the name is sent in";
    }
    return {};
}

// A field of the shared range table: the window refuses what kelvane-cli refuses.
bool SetRangedField(PanelModel& m, const FieldRange& range, const std::string& value, std::string& why) {
    if (!range.input && m.OutputChannelCount < 1) {
        why = "the pair has no output";
        return false;
    }
    if (range.id == FieldId::PlayerServiceId && m.InputType != kPlayerType) {
        why = "the pair has no player";
        return false;
    }
    const std::optional<int> number = ParseFieldValue(range, value);
    if (!number) {
        why = "wants a number from " + std::to_string(range.low) + " to " + std::to_string(range.high);
        return false;
    }
    SetFieldValue(m, range.id, *number);
    return true;
}

void AddNumber(std::vector<TextSetting>& out, std::string name, int value) {
    out.push_back({std::move(name), std::to_string(value), false, 0});
}

void AddChoice(std::vector<TextSetting>& out, std::string name, std::span<const char* const> names, int index) {
    const bool known = index >= 0 && index < static_cast<int>(names.size());
    out.push_back({std::move(name), known ? names[static_cast<std::size_t>(index)] : "?", true, 0});
}

void AddInputSettings(const PanelModel& m, std::vector<TextSetting>& out) {
    const int rows = m.InputCount < 2 ? m.InputCount : 2;  // the rows set names (in., in2.)
    for (int r = 0; r < rows; ++r) {
        const std::string prefix = r == 0 ? "in." : "in2.";
        AddNumber(out, prefix + "freq", m.InputFreqMHz[static_cast<std::size_t>(r)]);
        AddNumber(out, prefix + "symbolrate", m.InputSymbolRate[static_cast<std::size_t>(r)]);
        if (m.InputType == kFecTunerType && r == 0) {
            AddChoice(out, "in.fec", kCodeRateNames, m.InputFecOrPolarity[0]);
        }
        if (m.InputType == kPlayerType) {
            AddChoice(out, prefix + "polarity", kPolarityNames, m.InputFecOrPolarity[static_cast<std::size_t>(r)]);
        }
    }
    if (m.InputType == kPlayerType) AddNumber(out, "player.sid", static_cast<int>(m.PlayerServiceId));
}

void AddOutputSettings(const PanelModel& m, std::vector<TextSetting>& out) {
    if (m.OutputChannelCount < 1) return;
    AddNumber(out, "out.freq", m.OutputFreqKHz);
    AddChoice(out, "constellation", kConstellationNames, m.Constellation);
    AddChoice(out, "mode", kModeNames, m.TransmissionMode);
    AddChoice(out, "guard", kGuardNames, m.GuardInterval);
    AddChoice(out, "coderate", kCodeRateNames, m.CodeRate);
    AddChoice(out, "bandwidth", kBandwidthNames, m.Bandwidth);
    AddNumber(out, "level", m.LevelStep);
    AddNumber(out, "network.id", m.NetworkId);
    out.push_back({"network.name", m.NetworkName, true, 0});
    for (int k = 0; k < m.OutputChannelCount; ++k) {
        AddNumber(out, "tsid" + std::to_string(k + 1), m.TransportStreamId[static_cast<std::size_t>(k)]);
    }
}

// Each service once, by id: the CAM its input routes it to, and where the output places it.
void AddServiceSettings(const PanelModel& m, std::vector<TextSetting>& out) {
    std::map<int, std::vector<TextSetting>> services;
    for (int r = 0; r < m.InputCount; ++r) {
        const InputServiceTable& table = m.InputServices[static_cast<std::size_t>(r)];
        for (int k = 0; k < table.count; ++k) {
            const InputService& s = table.entries[static_cast<std::size_t>(k)];
            auto& fields = services[s.ServiceId];
            if (fields.empty()) AddNumber(fields, "service." + std::to_string(s.ServiceId) + ".cam", s.Cam);
        }
    }
    if (m.OutputChannelCount >= 1) {
        for (int k = 0; k < m.OutputServiceCount; ++k) {
            const OutputService& s = m.OutputServices[static_cast<std::size_t>(k)];
            const std::string prefix = "service." + std::to_string(s.ServiceId) + ".";
            auto& fields = services[s.ServiceId];
            AddNumber(fields, prefix + "channel", s.OutputChannel);
            AddNumber(fields, prefix + "lcn", s.Lcn);
            AddNumber(fields, prefix + "hdlcn", s.HdLcn);
        }
    }
    for (auto& [id, fields] : services) out.insert(out.end(), fields.begin(), fields.end());
}

// A tuner names its services only once it has locked: poll its status a few times, as the panel's first ticks
// do, each poll reading the names when a lock changed. A module that does not answer its poll tells nothing of
// what it carries, as the panel's stopped polling does not either: no more is asked.
void ReadAnnouncedServices(CXmit& link, PairSession& s) {
    constexpr int kMaxPolls = 10;
    PairPoller poller(link, s.slots, *s.input, s.output);
    for (int poll = 0; poll < kMaxPolls; ++poll) {
        const InputPoll answer = poller.PollInput(s.model);
        if (!answer.answered) return;
        const InputStatus& status = answer.status;
        bool allLocked = status.rows > 0;
        for (int r = 0; r < status.rows; ++r) {
            allLocked = allLocked && ReadLockState(status.lock[r]) == LockState::Locked;
        }
        if (allLocked) return;
    }
}

}  // namespace

void OpenPairAsPanel(CXmit& link, PairSession& s) {
    ReadAnnouncedServices(link, s);
    // Without names read whole the poller reconciled nothing; the images' own tables still are.
    ReconcileServices(s.model, CollectOutputServiceIds(s.slots, s.input->Address));
    BuildServiceList(s.model);
    s.model.InputDirty = s.model.OutputDirty = s.model.RestartOutputs = false;
}

std::vector<ModulePair> PairsOfRack(const SlotTable& slots) {
    std::vector<ModulePair> pairs;
    const int rows = static_cast<int>(std::min<std::size_t>(slots.ModuleCount, kSlotCount));
    for (int row = 0; row < rows; ++row) {
        if (!IsInputType(slots[static_cast<std::size_t>(row)].Type)) continue;
        if (const auto pair = FindModulePair(slots, row, rows)) pairs.push_back(*pair);
    }
    return pairs;
}

TextPair PairIdentity(const SlotTable& slots, const ModulePair& pair) {
    TextPair text;
    text.inputRow = pair.inputRow;
    text.inputModel = ModuleTypeName(slots[static_cast<std::size_t>(pair.inputRow)].Type);
    text.heading = "row " + std::to_string(pair.inputRow) + " " + text.inputModel;
    if (pair.outputRow >= 0) {
        text.outputRow = pair.outputRow;
        text.outputModel = ModuleTypeName(slots[static_cast<std::size_t>(pair.outputRow)].Type);
        text.heading += " -> row " + std::to_string(pair.outputRow) + " " + text.outputModel + ", " +
                        std::to_string(pair.camCount) + " CI module(s) between";
    } else {
        text.heading += ", no output";
    }
    return text;
}

void DecodePairSession(PairSession& s) {
    s.input = &s.slots[static_cast<std::size_t>(s.pair.inputRow)];
    s.output = s.pair.outputRow >= 0 ? &s.slots[static_cast<std::size_t>(s.pair.outputRow)] : nullptr;
    s.model = ModelOfPair(s.pair.camCount, *s.input, s.output);
}

std::string RefusalText(const SlotTable& slots, const WriteOutcome& outcome) {
    const int reason = outcome.refusal == WriteRefusal::kImageTooLong  ? kImageTooLongReason
                       : outcome.refusal == WriteRefusal::kNamesUnread ? kNamesUnreadReason
                                                                       : kImageUnreadReason;
    const bool known = outcome.row >= 0 && outcome.row < static_cast<int>(kSlotCount);
    std::string module = known ? std::string(ModuleTypeName(slots[static_cast<std::size_t>(outcome.row)].Type)) +
                                     " in row " + std::to_string(outcome.row)
                               : std::string("the pair");
    return module + ": " + MessageText(reason, kEnglish);
}

// One NAME=VALUE; false with a reason when it cannot be applied.
bool ApplySetting(PairSession& s, const std::string& name, const std::string& value, std::string& why) {
    PanelModel& m = s.model;
    const bool output = m.OutputChannelCount >= 1;
    const auto choice = [&](int& field, std::span<const char* const> names, bool isInput) {
        if (!isInput && !output) {
            why = "the pair has no output";
            return false;
        }
        if (const auto i = IndexIn(names, value)) {
            field = *i;
            (isInput ? m.InputDirty : m.OutputDirty) = true;
            if (isInput) m.RestartOutputs = true;
            return true;
        }
        why = "is not one of the choices";
        return false;
    };
    if (const FieldRange* range = FindFieldRange(name); range != nullptr && range->id != FieldId::Lcn) {
        return SetRangedField(m, *range, value, why);
    }
    if (name == "in.fec" && m.InputType == kFecTunerType) return choice(m.InputFecOrPolarity[0], kCodeRateNames, true);
    if (name == "in.polarity" && m.InputType == kPlayerType)
        return choice(m.InputFecOrPolarity[0], kPolarityNames, true);
    if (name == "in2.polarity" && m.InputType == kPlayerType)
        return choice(m.InputFecOrPolarity[1], kPolarityNames, true);
    if (name == "constellation") return choice(m.Constellation, kConstellationNames, false);
    if (name == "mode") return choice(m.TransmissionMode, kModeNames, false);
    if (name == "guard") return choice(m.GuardInterval, kGuardNames, false);
    if (name == "coderate") return choice(m.CodeRate, kCodeRateNames, false);
    if (name == "bandwidth") return choice(m.Bandwidth, kBandwidthNames, false);
    if (name == "network.name") {
        if (!output) {
            why = "the pair has no output";
            return false;
        }
        why = NetworkNameProblem(value);
        if (!why.empty()) return false;
        m.NetworkName = value;
        m.OutputDirty = true;
        return true;
    }
    return SetServiceField(s, name, value, why);
}

std::vector<TextSetting> OutputSettingsOf(const PanelModel& m) {
    std::vector<TextSetting> out;
    AddOutputSettings(m, out);
    return out;
}

std::vector<TextSetting> SettingsOfPair(const PanelModel& m) {
    std::vector<TextSetting> out;
    AddInputSettings(m, out);
    AddOutputSettings(m, out);
    AddServiceSettings(m, out);
    return out;
}

}  // namespace kelvane
