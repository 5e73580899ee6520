#include "tools/cli/CliCommands.h"

#include "app/DiscoveryExchanges.h"
#include "app/MessageCatalogue.h"
#include "app/ModuleTypes.h"
#include "app/Preferences.h"
#include "app/TextFormat.h"
#include "link/Xmit.h"
#include "text/ControlCharacters.h"
#include "tools/cli/CliOptions.h"
#include "tools/common/SearchReport.h"

#include <cstdio>
#include <ostream>

namespace kelvane {
namespace {

std::string ModuleLine(std::size_t row, const SlotRecord& record, bool configUnread) {
    const char* name = ModuleTypeName(record.Type);
    char line[96];
    std::snprintf(line, sizeof line, "%3zu  %4u  %4u  %-7s  %-7s  %6u", row, static_cast<unsigned>(record.Address),
                  static_cast<unsigned>(record.Type), *name ? name : "?", VersionLabel(record.Version).c_str(),
                  static_cast<unsigned>(record.ConfigLength));
    return std::string(line) + (configUnread ? "  (configuration not read)" : "");
}

const char* IdentityFailureText(IdentityFailure failure) {
    switch (failure) {
    case IdentityFailure::NoAnswer: return "it did not answer (no reply after three tries)";
    case IdentityFailure::NotIdentified: return "it answered, but not as a module of the rack (no identity mark)";
    case IdentityFailure::ReportsInactive: return "it reports itself inactive";
    case IdentityFailure::None: break;
    }
    return "it did not identify itself as an active unit";
}

}  // namespace

const char* const kCliUsageText =
    "usage: kelvane-cli [--trace FILE] [--port ENTRY | --rack NAME] [--wait-busy SECONDS] COMMAND [ARGUMENTS]\n"
    "       kelvane-cli --help | --version\n"
    "       kelvane-cli COMMAND --help\n"
    "\n"
    "Options go before or after the command, their value as the next argument or after '='; -- ends them.\n"
    "  --trace FILE         record every frame on the line in FILE (pcapng, for Wireshark with\n"
    "                       tools/wireshark/kxr.lua); KELVANE_TRACE=FILE in the environment does the same\n"
    "  --port ENTRY         search the rack on this port-table entry alone (see below)\n"
    "  --rack NAME          search the rack on the entry the table names NAME alone (watch takes several)\n"
    "  --wait-busy SECONDS  when a port is in use by another program (watch during its round), search again\n"
    "                       until it is free, for at most SECONDS (default 5; 0 gives up at once)\n"
    "\n"
    "commands:\n"
    "  find                 search the serial ports for the rack; print the entry it answered on, its port\n"
    "                       number and its controller\n"
    "  modules              search, then list the rack's modules (row, address, type, model, version,\n"
    "                       configuration length)\n"
    "  firmware scan        what firmware/KXR.FRM in the working directory offers, type by type, and why\n"
    "                       each other listed file was left out\n"
    "  firmware upgrade     discover the rack and upgrade every module a newer image is due for, then restart\n"
    "                       the rack and discover it again\n"
    "  show ROW             the parameters and services of the module pair that ROW belongs to\n"
    "  set ROW NAME=VALUE...\n"
    "                       change them, as the module panel does, and send what changed to the modules:\n"
    "                       in.freq, in2.freq (MHz), in.symbolrate, in2.symbolrate, in.fec, in.polarity,\n"
    "                       in2.polarity, out.freq (kHz), constellation, mode, guard, coderate, bandwidth\n"
    "                       (by name as shown, or by index), level (1-30), network.id, network.name (at\n"
    "                       most 30 characters of Latin-1), network.version, tsid1..tsid4, player.sid,\n"
    "                       service.SID.channel (0-4), service.SID.cam (0-4), service.SID.lcn and\n"
    "                       service.SID.hdlcn (of a service the pair carries); a number outside what its\n"
    "                       module holds is refused, as the panel refuses it\n"
    "  firmware build TYPE VERSION PAYLOAD OUTPUT\n"
    "                       write a firmware image file for module TYPE (code 0-8 or model name) at VERSION\n"
    "                       (in tenths: 15 is V1.5) holding the bytes of file PAYLOAD\n"
    "  save FILE            discover the rack and save the configuration of all its modules to FILE\n"
    "  summary FILE [--offline]\n"
    "                       describe the configuration file FILE and check that it fits the rack's modules\n"
    "                       (with --offline no rack is searched, and the check is against an empty rack)\n"
    "  upload FILE [--yes]  discover the rack, describe FILE and check it; only with --yes, and only when it\n"
    "                       fits, send every image that differs from the rack's and restart the outputs\n"
    "  diff FILE (FILE | --rack)\n"
    "                       what differs between two configuration files, or between FILE and what the rack's\n"
    "                       modules hold now, row by row and field by field; never writes anything\n"
    "  export (--rack | FILE) [--rows 1,7]\n"
    "                       write the configuration of the rack or of configuration file FILE as TOML text:\n"
    "                       one [pair.ROW] section per input with its output's row and both models, every\n"
    "                       field by the names set takes, each service's cam, channel, lcn and hdlcn by id\n"
    "  apply FILE [--plan] [--to OUT --from IN]\n"
    "                       apply a text configuration: only the fields it names, only where they differ, pair\n"
    "                       by pair through set's checks and the panel's encoding; each image sent is read\n"
    "                       back. --plan prints what would change, in diff's words, and writes nothing; --to\n"
    "                       OUT --from IN writes configuration file OUT from IN without a rack\n"
    "  watch [--interval SECONDS] [--json] [--prometheus FILE] [--once] [--rows 1,3,5]\n"
    "                       poll every module pair (or those of the rows named) as the module panel does,\n"
    "                       every SECONDS (default 1, from 0.1): lock, level and S.N.R. of each input, rate and\n"
    "                       capacity of each output channel, services; a table redrawn in place on a terminal,\n"
    "                       plain lines otherwise, or one JSON object a round with --json; --prometheus writes\n"
    "                       FILE in the Prometheus text format after each round (for node_exporter's textfile\n"
    "                       collector). Alarms go to standard error with the time: lock lost or regained, rate\n"
    "                       above capacity, a module that stops answering, the rack lost (it is searched for\n"
    "                       until it answers again). The port is held during each round only; a round that\n"
    "                       finds it held by another program says the rack is in use. --once makes one round.\n"
    "                       Ends on SIGINT or SIGTERM; never writes to a module\n"
    "  cam ROW [CHOICE...] [--answer TEXT]\n"
    "                       ask the CAM of the CI module in row ROW for its main menu, make each CHOICE in\n"
    "                       turn (an item's number; 0 goes back), answer the first question with TEXT (others\n"
    "                       are cancelled), and print every menu, list, question and text the CAM shows\n"
    "\n"
    "The ports are searched as numbered COM ports. An entry of the table is a device, tcp:HOST:PORT (a serial\n"
    "server's raw TCP port) or rfc2217:HOST:PORT (Telnet with the COM port option), optionally followed by\n"
    "?latency=MS, added to every wait on that port, and preceded by the rack's name and ' @ ' (Mont Aigoual @\n"
    "rfc2217:tx-site-3:2001). --port ENTRY searches that entry alone; KELVANE_PORTS sets\n"
    "the table (entries separated by ';', or by ':' when there is no ';'); otherwise the entries of ports.txt in\n"
    "the working directory (one a line, # comments) come first, then the machine's serial ports: on Linux\n"
    "/dev/serial/by-id, ttyUSB*, ttyACM* and ttyS* in that order.\n"
    "Configuration files are named exactly as given. The texts the program shows in its window (progress, summaries)\n"
    "are in the language of pref.txt in the working directory, German when it names none, as in the program.\n"
    "\n"
    "exit status: 0 done, 1 usage, 2 no rack found, 3 inactive module, 4 incomplete answers from the rack,\n"
    "5 a file could not be read or written (or a text configuration could not be read), 6 the configuration\n"
    "file does not fit the rack (apply: a pair's rows or models differ), 7 no CAM, or the CAM did not answer in\n"
    "time, 8 no rack found and a port still in use by another program after --wait-busy (watch --once: the\n"
    "rack's port in use), 9 a change that could not be written (nothing was written; apply: nothing of the pair\n"
    "named, the pairs before it were), 10 diff found differences, apply --plan found changes to make, or watch\n"
    "--once found an input not locked, a module not answering or a channel above its capacity\n";

std::uint8_t ParseByte(const std::string& text, bool& ok) {
    ok = !text.empty() && text.size() <= 3 && text.find_first_not_of("0123456789") == std::string::npos &&
         std::stoi(text) <= 255;
    return ok ? static_cast<std::uint8_t>(std::stoi(text)) : 0;
}

int RunFind(CliContext& cli) {
    if (!FindRack(cli)) return kCliRackNotFound;
    const std::uint8_t port = cli.link.PortNumber();
    const auto version = ProbeIdentity(cli.link, 0);
    cli.out << FormatText(MessageText(kRackFoundOnMessage), {cli.link.PortName()}) << '\n';
    cli.out << "port " << static_cast<int>(port) << ": " << cli.ports.Describe(port) << '\n';
    if (const std::string name = cli.ports.RackName(port); !name.empty())
        cli.out << "rack " << TerminalText(name) << '\n';
    cli.out << "controller " << ModuleTypeName(kControllerType) << ' '
            << (version ? VersionLabel(*version) : std::string("(version unknown)")) << '\n';
    return kCliOk;
}

int PrintDiscovery(CliContext& cli, const SlotTable& table, const DiscoveryReport& report) {
    if (report.inactiveRow) {
        const SlotRecord& record = table[*report.inactiveRow];
        const bool silent = report.inactiveBecause == IdentityFailure::NoAnswer;
        // A line that hung up is not tried again, so the module was never given its three tries.
        const bool hungUp = silent && cli.link.LastFailure() == LinkFailure::HungUp;
        cli.err << "kelvane-cli: " << (silent ? "module" : "inactive module") << " in row " << *report.inactiveRow
                << " (address " << static_cast<int>(record.Address) << ", " << ModuleTypeName(record.Type) << "): "
                << (hungUp ? "the line hung up before it answered" : IdentityFailureText(report.inactiveBecause))
                << '\n';
        // A module that never answered may be a line or bus fault rather than a module's own state.
        return silent ? kCliIncomplete : kCliInactiveModule;
    }
    if (const std::string name = cli.ports.RackName(cli.link.PortNumber()); !name.empty()) {
        cli.out << "rack " << TerminalText(name) << '\n';
    }
    cli.out << "row  addr  type  model    version  config\n";
    for (std::size_t row = 0; row < table.ModuleCount; ++row) {
        cli.out << ModuleLine(row, table[row], report.configUnread.test(row)) << '\n';
    }
    if (!report.moduleListRead) {
        if (report.moduleListFault != ModuleListFault::None) {
            cli.err << "kelvane-cli: the rack controller's module list was refused: "
                    << ModuleListFaultText(report.moduleListFault) << '\n';
        } else {
            cli.err << "kelvane-cli: the rack controller did not send its module list\n";
        }
        return kCliIncomplete;
    }
    // Each module whose answer is missing by name, so that the operator knows what a file would lack.
    for (std::size_t row = 0; row < table.ModuleCount; ++row) {
        if (!report.configUnread.test(row)) continue;
        cli.err << "kelvane-cli: " << ModuleTypeName(table[row].Type) << " in row " << row << " (address "
                << static_cast<int>(table[row].Address) << "): its configuration could not be read\n";
    }
    return report.configUnread.any() ? kCliIncomplete : kCliOk;
}

int RunModules(CliContext& cli) {
    if (!FindRack(cli)) return kCliRackNotFound;
    SlotTable table;
    const DiscoveryReport report = RunDiscoveryExchanges(cli.link, table);
    return PrintDiscovery(cli, table, report);
}

int RunCli(const std::vector<std::string>& args, CliContext& cli) { return RunCli(ReadCliCommandLine(args, ""), cli); }

int RunCli(const CliCommandLine& line, CliContext& cli) {
    if (!line.command) {
        (line.status == kCliOk ? cli.out : cli.err) << line.text;
        return line.status;
    }
    // Every text from the catalogue speaks the operator's language, chosen as the window chooses it.
    SetLanguageIndex(ReadLanguagePreference(cli.workingDirectory));
    cli.waitBusyMs = line.waitBusyMs;
    const int status = line.command(cli);
    // Every command that needs the rack searches for it the same way; a search that met only busy ports says so.
    if (status == kCliRackNotFound && !cli.portProblems.empty()) return kCliUsage;
    if (status == kCliRackNotFound && cli.link.LastFailure() == LinkFailure::Busy) return kCliPortBusy;
    // Whatever the command said failed, the operator must learn that the cause is the line, not the rack.
    if (status != kCliOk && cli.link.LastFailure() == LinkFailure::HungUp) {
        cli.err
            << "kelvane-cli: the line to the rack hung up: the serial adapter was unplugged or the port went away\n";
    }
    return status;
}

}  // namespace kelvane
