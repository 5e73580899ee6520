// kelvane-cli show and set: a module pair's parameters and services, read and changed through the same
// decoding, encoding and sending as the module panel.

#include "app/DiscoveryExchanges.h"
#include "app/MessageCatalogue.h"
#include "app/ModulePairs.h"
#include "app/ModuleTypes.h"
#include "config/ChainEdits.h"
#include "config/ConfigSync.h"
#include "text/ControlCharacters.h"
#include "text/Utf8.h"
#include "link/Xmit.h"
#include "panel/EditSequence.h"
#include "panel/FieldRanges.h"
#include "panel/InputConfigCodec.h"
#include "panel/LevelTable.h"
#include "panel/OutputConfigCodec.h"
#include "panel/PairModel.h"
#include "panel/Reconcile.h"
#include "panel/ServiceTables.h"
#include "panel/ServiceList.h"
#include "panel/ServiceNames.h"
#include "panel/StatusReplies.h"
#include "tools/cli/CliCommands.h"
#include "tools/cli/ParameterNames.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <ostream>

namespace kelvane {
namespace {

// The rack discovered and the pair of one row decoded, ready to be shown or changed.
struct PairSession {
    SlotTable slots;
    ModulePair pair;
    PanelModel model;
    SlotRecord* input = nullptr;
    SlotRecord* output = nullptr;
};


// A tuner names its services only once it has locked: poll its status a few times, as the panel's first
// ticks do, then ask for the names.
void ReadAnnouncedServices(CXmit& link, PairSession& s) {
    constexpr int kMaxPolls = 10;
    constexpr std::uint8_t kLocked = 2;
    for (int poll = 0; poll < kMaxPolls; ++poll) {
        // A module that does not answer its poll tells nothing of what it carries, as the panel's stopped
        // polling does not either: no names are read, and nothing is reconciled.
        if (!link.XmitRequest({}, s.input->Address, kInputStatusCommand, kInputStatusTimeout)) return;
        const InputStatus status = ParseInputStatus(link.Reply(), s.model.InputCount);
        bool allLocked = status.rows > 0;
        for (int r = 0; r < status.rows; ++r) allLocked = allLocked && status.lock[r] == kLocked;
        if (allLocked) break;
    }
    // Names that did not come whole are not read: NamesRead stays false, and nothing is reconciled with them.
    if (link.XmitRequest({}, s.input->Address, kListsCommand, kListsTimeout)) ParseServiceNames(link.Reply(), s.model);
}

int OpenPair(CliContext& cli, const std::string& rowText, PairSession& s) {
    bool ok = false;
    const int row = ParseByte(rowText, ok);
    if (!ok) {
        cli.err << "kelvane-cli: ROW must be a row number of the module list\n";
        return kCliUsage;
    }
    if (!FindRack(cli)) return kCliRackNotFound;
    const DiscoveryReport report = RunDiscoveryExchanges(cli.link, s.slots);
    if (report.inactiveRow) return PrintDiscovery(cli, s.slots, report);
    MarkConfigsSent(s.slots);
    const auto pair = FindModulePair(s.slots, row, static_cast<int>(kSlotCount));
    if (!pair) {
        cli.err << "kelvane-cli: row " << row << " is not part of an input/output pair\n";
        return kCliUsage;
    }
    s.pair = *pair;
    s.input = &s.slots[s.pair.inputRow];
    s.output = s.pair.outputRow >= 0 ? &s.slots[s.pair.outputRow] : nullptr;
    s.model = ModelOfPair(s.pair.camCount, *s.input, s.output);
    PanelModel& m = s.model;
    ReadAnnouncedServices(cli.link, s);
    ReconcileServices(m, CollectOutputServiceIds(s.slots, s.input->Address));
    BuildServiceList(m);
    m.InputDirty = m.OutputDirty = m.RestartOutputs = false;
    return kCliOk;
}

void PrintInput(std::ostream& out, const PairSession& s) {
    const PanelModel& m = s.model;
    out << "input  row " << s.pair.inputRow << " " << ModuleTypeName(s.input->Type) << " (address "
        << static_cast<int>(s.input->Address) << ")\n";
    for (int r = 0; r < m.InputCount; ++r) {
        const char letter = static_cast<char>('A' + r);
        out << "  " << letter << ": frequency " << m.InputFreqMHz[r] << " MHz, symbol rate " << m.InputSymbolRate[r];
        if (m.InputType == 7) out << ", polarity " << NameOf(kPolarityNames, m.InputFecOrPolarity[r]);
        if (m.InputType == 1) out << ", FEC " << NameOf(kCodeRateNames, m.InputFecOrPolarity[r]);
        out << "\n";
    }
    if (m.InputType == 7) {
        out << "  player: service " << m.PlayerServiceId << " \"" << TerminalText(m.PlayerServiceName) << "\", rate "
            << PlayerRateLabel(m.PlayerRateIndex) << ", " << m.ScheduleCount << " schedule entries\n";
    }
}

void PrintOutput(std::ostream& out, const PairSession& s) {
    const PanelModel& m = s.model;
    if (s.output == nullptr) {
        out << "output none\n";
        return;
    }
    out << "output row " << s.pair.outputRow << " " << ModuleTypeName(s.output->Type) << " (address "
        << static_cast<int>(s.output->Address) << "), " << m.OutputChannelCount << " channel(s), "
        << s.pair.camCount << " CI module(s) between\n";
    for (int k = 0; k < m.OutputChannelCount; ++k) {
        out << "  channel " << k + 1 << ": " << ChannelFrequencyKHz(m, k + 1) << " kHz, stream id "
            << m.TransportStreamId[k] << "\n";
    }
    out << "  constellation " << NameOf(kConstellationNames, m.Constellation) << ", code rate "
        << NameOf(kCodeRateNames, m.CodeRate) << ", guard " << NameOf(kGuardNames, m.GuardInterval) << ", mode "
        << NameOf(kModeNames, m.TransmissionMode) << ", bandwidth " << NameOf(kBandwidthNames, m.Bandwidth) << "\n";
    out << "  level " << m.LevelStep << " (" << AttenuationLabel(m.LevelStep) << "), network id " << m.NetworkId
        << ", name \"" << TerminalText(m.NetworkName) << "\", version " << int(m.NitVersion)
        << (m.RemoveCatEmm ? ", CAT/EMM removed" : "") << "\n";
}

// `text` cut or padded to `width` characters (not bytes: names hold accented letters).
std::string Column(const std::string& text, std::size_t width) {
    const std::string cut = Utf8Prefix(text, width);
    return cut + std::string(width - Utf8Length(cut), ' ');
}

// The service list as the panel shows it: where each service comes from, what it is, and where it goes.
void PrintServices(std::ostream& out, const PairSession& s) {
    const PanelModel& m = s.model;
    out << "services: from  sid    name                          kind   scrambled  cam  channel  lcn   hd lcn\n";
    for (int r = 0; r < m.ServiceRowCount; ++r) {
        const ServiceRow& row = m.ServiceRows[r];
        char line[256];
        const char from = row.Source <= 3 ? static_cast<char>('A' + row.Source) : '?';
        std::snprintf(line, sizeof line, "          %c     %-5u  %s  %-5s  %-9s  %-3s  %-7s  %-4s  %s\n", from,
                      static_cast<unsigned>(row.ServiceId), Column(TerminalText(row.Name), 28).c_str(),
                      row.ServiceKind == 1 ? "tv" : row.ServiceKind == 2 ? "radio" : "-", row.Scrambled ? "yes" : "no",
                      row.Cam ? std::to_string(row.Cam).c_str() : "-",
                      row.OutputChannel ? std::to_string(row.OutputChannel).c_str() : "-",
                      row.Lcn && row.OutputChannel ? std::to_string(row.Lcn).c_str() : "-",
                      row.HdLcn && row.OutputChannel ? std::to_string(row.HdLcn).c_str() : "-");
        out << line;
    }
}

std::optional<int> IndexIn(std::span<const char* const> names, const std::string& value) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (value == names[i]) return static_cast<int>(i);
    }
    int index = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), index);
    if (ec == std::errc{} && end == value.data() + value.size() && index >= 0 && index < static_cast<int>(names.size())) {
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

bool SetServiceField(PairSession& s, const std::string& name, const std::string& value, std::string& why) {
    PanelModel& m = s.model;
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
    if (field == "channel") {
        const long limit = m.OutputChannelCount >= 1 ? m.OutputChannelCount : 1;
        const auto channel = WholeNumber(value, 0, limit);
        if (!channel) {
            why = "wants a channel from 0 (none) to " + std::to_string(limit);
            return false;
        }
        if (m.OutputChannelCount < 1 && m.InputType != 7) {
            why = "the pair has no output";
            return false;
        }
        UpdateChainedPlayers(s.slots, s.input->Address, static_cast<std::uint16_t>(serviceId), *channel != 0);
        OutputService* service = FindOrAddOutputService(m, serviceId);
        if (service == nullptr) {
            why = "the output's service table is full";
            return false;
        }
        service->OutputChannel = static_cast<std::uint8_t>(*channel);
        m.InputDirty = m.OutputDirty = m.ServicesEdited = true;
        return true;
    }
    if (field == "cam") {
        const auto cam = WholeNumber(value, 0, m.CamCount);
        const int row = InputRowAnnouncing(m, serviceId);
        if (!cam || row < 0) {
            why = !cam ? "wants a CAM from 0 (none) to " + std::to_string(m.CamCount) : "no input announces this service";
            return false;
        }
        InputService* service = FindOrAddInputService(m.InputServices[row], serviceId);
        if (service == nullptr) {
            why = "the input's service table is full";
            return false;
        }
        service->Cam = static_cast<std::uint8_t>(*cam);
        m.InputDirty = m.OutputDirty = m.ServicesEdited = true;
        return true;
    }
    if (field == "lcn" || field == "hdlcn") {
        // A number for a service the pair does not carry would add an entry the rack never asked for.
        if (!HasOutputService(m, serviceId) && InputRowAnnouncing(m, serviceId) < 0) {
            why = "service " + std::to_string(serviceId) + " is not on this pair (kelvane-cli show lists its services)";
            return false;
        }
        const auto number = WholeNumber(value, 0, kMaxLcn);
        OutputService* service = number && m.OutputChannelCount >= 1 ? FindOrAddOutputService(m, serviceId) : nullptr;
        if (service == nullptr) {
            why = m.OutputChannelCount < 1 ? "the pair has no output" : "wants a number from 0 to 1023";
            return false;
        }
        (field == "lcn" ? service->Lcn : service->HdLcn) = static_cast<std::uint16_t>(*number);
        m.OutputDirty = true;
        return true;
    }
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
    if (name == "in.fec" && m.InputType == 1) return choice(m.InputFecOrPolarity[0], kCodeRateNames, true);
    if (name == "in.polarity" && m.InputType == 7) return choice(m.InputFecOrPolarity[0], kPolarityNames, true);
    if (name == "in2.polarity" && m.InputType == 7) return choice(m.InputFecOrPolarity[1], kPolarityNames, true);
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

}  // namespace

int RunShow(CliContext& cli, const std::string& row) {
    PairSession s;
    if (const int status = OpenPair(cli, row, s); status != kCliOk) return status;
    PrintInput(cli.out, s);
    PrintOutput(cli.out, s);
    PrintServices(cli.out, s);
    return kCliOk;
}

int RunSet(CliContext& cli, const std::string& row, const std::vector<std::string>& settings) {
    PairSession s;
    if (const int status = OpenPair(cli, row, s); status != kCliOk) return status;
    for (const std::string& setting : settings) {
        const std::size_t eq = setting.find('=');
        std::string why;
        if (eq == std::string::npos) {
            cli.err << "kelvane-cli: '" << setting << "' is not NAME=VALUE\n";
            return kCliUsage;
        }
        if (!ApplySetting(s, setting.substr(0, eq), setting.substr(eq + 1), why)) {
            cli.err << "kelvane-cli: " << setting.substr(0, eq) << ": " << why << "\n";
            return kCliUsage;
        }
    }
    const bool lostBefore = cli.link.LinkLost();
    const WriteOutcome outcome = ApplyEditsToRack(s.model, s.slots, *s.input, s.output, cli.link);
    if (!outcome.Written()) {
        cli.err << "kelvane-cli: nothing written: " << RefusalText(s.slots, outcome) << "\n";
        return kCliNotWritten;
    }
    if (!lostBefore && cli.link.LinkLost()) {
        cli.err << "kelvane-cli: the rack did not take every change (a request failed all its tries)\n";
        return kCliIncomplete;
    }
    PrintInput(cli.out, s);
    PrintOutput(cli.out, s);
    PrintServices(cli.out, s);
    return kCliOk;
}

}  // namespace kelvane
