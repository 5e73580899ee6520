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
#include "panel/PairPoller.h"
#include "panel/PairModel.h"
#include "panel/Reconcile.h"
#include "panel/ServiceTables.h"
#include "panel/ServiceList.h"
#include "tools/cli/CliCommands.h"
#include "tools/cli/PairSettings.h"
#include "tools/cli/ParameterNames.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <ostream>

namespace kelvane {
namespace {

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
    DecodePairSession(s);
    OpenPairAsPanel(cli.link, s);
    return kCliOk;
}

void PrintInput(std::ostream& out, const PairSession& s) {
    const PanelModel& m = s.model;
    out << "input  row " << s.pair.inputRow << " " << ModuleTypeName(s.input->Type) << " (address "
        << static_cast<int>(s.input->Address) << ")\n";
    for (int r = 0; r < m.InputCount; ++r) {
        const char letter = static_cast<char>('A' + r);
        out << "  " << letter << ": frequency " << m.InputFreqMHz[r] << " MHz, symbol rate " << m.InputSymbolRate[r];
        if (m.InputType == kPlayerType) out << ", polarity " << NameOf(kPolarityNames, m.InputFecOrPolarity[r]);
        if (m.InputType == kFecTunerType) out << ", FEC " << NameOf(kCodeRateNames, m.InputFecOrPolarity[r]);
        out << "\n";
    }
    if (m.InputType == kPlayerType) {
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
        << static_cast<int>(s.output->Address) << "), " << m.OutputChannelCount << " channel(s), " << s.pair.camCount
        << " CI module(s) between\n";
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
                      row.ServiceKind == 1   ? "tv"
                      : row.ServiceKind == 2 ? "radio"
                                             : "-",
                      row.Scrambled ? "yes" : "no", row.Cam ? std::to_string(row.Cam).c_str() : "-",
                      row.OutputChannel ? std::to_string(row.OutputChannel).c_str() : "-",
                      row.Lcn && row.OutputChannel ? std::to_string(row.Lcn).c_str() : "-",
                      row.HdLcn && row.OutputChannel ? std::to_string(row.HdLcn).c_str() : "-");
        out << line;
    }
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
