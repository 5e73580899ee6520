#include "tools/CliCommands.h"

#include "app/DiscoveryExchanges.h"
#include "app/ModuleTypes.h"
#include "link/Xmit.h"

#include <cstdio>
#include <ostream>
#include <string>

namespace kelvane {
namespace {

bool FindRack(CliContext& cli) {
    if (cli.link.FindPort()) return true;
    cli.err << "kelvane-cli: no rack answered on any serial port (set KELVANE_PORTS to choose the ports)\n";
    return false;
}

std::string ModuleLine(std::size_t row, const SlotRecord& record, bool configUnread) {
    const char* name = ModuleTypeName(record.Type);
    char line[96];
    std::snprintf(line, sizeof line, "%3zu  %4u  %4u  %-7s  %-7s  %6u", row, static_cast<unsigned>(record.Address),
                  static_cast<unsigned>(record.Type), *name ? name : "?", VersionLabel(record.Version).c_str(),
                  static_cast<unsigned>(record.ConfigLength));
    return std::string(line) + (configUnread ? "  (configuration not read)" : "");
}

void PrintModules(CliContext& cli, const SlotTable& table, const DiscoveryReport& report) {
    cli.out << "row  addr  type  model    version  config\n";
    for (std::size_t row = 0; row < table.ModuleCount; ++row) {
        cli.out << ModuleLine(row, table[row], report.configUnread.test(row)) << '\n';
    }
}

}  // namespace

int RunFind(CliContext& cli) {
    if (!FindRack(cli)) return kCliRackNotFound;
    const std::uint8_t port = cli.link.PortNumber();
    const auto version = ProbeIdentity(cli.link, 0);
    cli.out << "port " << static_cast<int>(port) << ": " << cli.ports.Describe(port) << '\n';
    cli.out << "controller " << ModuleTypeName(kControllerType) << ' '
            << (version ? VersionLabel(*version) : std::string("(version unknown)")) << '\n';
    return kCliOk;
}

int RunModules(CliContext& cli) {
    if (!FindRack(cli)) return kCliRackNotFound;
    SlotTable table;
    const DiscoveryReport report = RunDiscoveryExchanges(cli.link, table);
    if (report.inactiveRow) {
        const SlotRecord& record = table[*report.inactiveRow];
        cli.err << "kelvane-cli: inactive module in row " << *report.inactiveRow << " (address "
                << static_cast<int>(record.Address) << ", " << ModuleTypeName(record.Type)
                << "): it did not identify itself as an active unit\n";
        return kCliInactiveModule;
    }
    PrintModules(cli, table, report);
    if (!report.moduleListRead) {
        cli.err << "kelvane-cli: the rack controller did not send its module list\n";
        return kCliIncomplete;
    }
    if (report.configUnread.any()) {
        cli.err << "kelvane-cli: some configurations could not be read (marked above)\n";
        return kCliIncomplete;
    }
    return kCliOk;
}

}  // namespace kelvane
