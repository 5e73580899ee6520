// kelvane-cli diff: what differs between two configuration files, or between a file and the rack.

#include "app/DiscoveryExchanges.h"
#include "config/ConfigFile.h"
#include "config/ConfigSummary.h"
#include "tools/cli/CliCommands.h"
#include "tools/cli/RackDiff.h"

#include <memory>
#include <ostream>

namespace kelvane {
namespace {

bool ReadForDiff(CliContext& cli, const std::string& file, LoadedConfig& loaded) {
    std::error_code why;
    switch (ReadConfigFile(PathFromUtf8(file), loaded, &why)) {
    case ConfigReadResult::Read: return true;
    case ConfigReadResult::CannotOpen:
        cli.err << "kelvane-cli: cannot open " << file << ": " << why.message() << '\n';
        break;
    case ConfigReadResult::TooManyRecords:
        cli.err << "kelvane-cli: " << file << " holds more records than a rack has modules\n";
        break;
    case ConfigReadResult::RecordTooLong:
        cli.err << "kelvane-cli: " << file << " holds a record longer than a module's image\n";
        break;
    case ConfigReadResult::Truncated: cli.err << "kelvane-cli: " << file << " ends inside a record\n"; break;
    }
    return false;
}

// The rack's modules with their images, read as for a save; a status other than kCliOk when that failed.
int ReadRack(CliContext& cli, SlotTable& table) {
    if (!FindRack(cli)) return kCliRackNotFound;
    const DiscoveryReport report = RunDiscoveryExchanges(cli.link, table);
    if (report.inactiveRow || !report.moduleListRead || report.configUnread.any()) {
        const int status = PrintDiscovery(cli, table, report);
        return status == kCliOk ? kCliIncomplete : status;
    }
    return kCliOk;
}

int PrintDifferences(CliContext& cli, const RackDifferences& diff) {
    for (const std::string& line : diff.lines) cli.out << line << '\n';
    if (diff.Same()) cli.out << "no differences\n";
    return diff.Same() ? kCliOk : kCliFindings;
}

}  // namespace

int RunDiff(CliContext& cli, const std::string& firstFile, const std::optional<std::string>& secondFile) {
    const auto first = std::make_unique<LoadedConfig>();
    if (!ReadForDiff(cli, firstFile, *first)) return kCliFileError;
    const SlotTable a = SlotsOfFile(*first);
    if (secondFile) {
        const auto second = std::make_unique<LoadedConfig>();
        if (!ReadForDiff(cli, *secondFile, *second)) return kCliFileError;
        return PrintDifferences(cli, DiffRacks(a, SlotsOfFile(*second), firstFile, *secondFile));
    }
    SlotTable rack;
    if (const int status = ReadRack(cli, rack); status != kCliOk) return status;
    const int status = PrintDifferences(cli, DiffRacks(a, rack, firstFile, "the rack"));
    if (!ConfigMatches(rack, *first)) {
        cli.err << "kelvane-cli: " << firstFile << " does not fit the rack's modules\n";
        return kCliMismatch;
    }
    return status;
}

}  // namespace kelvane
