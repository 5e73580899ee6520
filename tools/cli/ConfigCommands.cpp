// kelvane-cli save, summary and upload: configuration files of the whole rack.

#include "app/DiscoveryExchanges.h"
#include "app/MessageCatalogue.h"
#include "app/ModuleTypes.h"
#include "config/ConfigFile.h"
#include "config/ConfigSummary.h"
#include "config/ConfigSync.h"
#include "config/ConfigUpload.h"
#include "tools/cli/CliCommands.h"

#include <memory>
#include <optional>
#include <ostream>

namespace kelvane {
namespace {

std::string ReadFailure(ConfigReadResult result) {
    switch (result) {
    case ConfigReadResult::CannotOpen: return "cannot be opened";
    case ConfigReadResult::TooManyRecords: return "holds more records than a rack has slots (15)";
    case ConfigReadResult::RecordTooLong: return "holds an image longer than 1024 bytes";
    case ConfigReadResult::Truncated: return "ends inside a record";
    case ConfigReadResult::Read: break;
    }
    return "";
}

}  // namespace

bool ReadConfigForCli(CliContext& cli, const std::string& file, LoadedConfig& loaded) {
    std::error_code why;
    const ConfigReadResult result = ReadConfigFile(PathFromUtf8(file), loaded, &why);
    if (result == ConfigReadResult::Read) return true;
    cli.err << "kelvane-cli: configuration file " << file << ' ' << ReadFailure(result)
            << (why ? ": " + why.message() : "") << "; nothing was done\n";
    return false;
}

namespace {

// Whether an input or output module's image could not be read: its record would hold nothing true.
bool ImageMissing(const SlotTable& table, const DiscoveryReport& report) {
    for (std::size_t row = 0; row < table.ModuleCount; ++row) {
        if (report.configUnread.test(row) && (IsInputType(table[row].Type) || IsOutputType(table[row].Type)))
            return true;
    }
    return false;
}

}  // namespace

int DiscoverWholeRack(CliContext& cli, SlotTable& table) {
    if (!FindRack(cli)) return kCliRackNotFound;
    const DiscoveryReport report = RunDiscoveryExchanges(cli.link, table);
    if (report.inactiveRow || !report.moduleListRead || ImageMissing(table, report)) {
        const int status = PrintDiscovery(cli, table, report);
        return status == kCliOk ? kCliIncomplete : status;
    }
    MarkConfigsSent(table);
    return kCliOk;
}

namespace {

// The summary as the window shows it, with the terminal's line ends.
void PrintSummary(CliContext& cli, const SlotTable& table, const LoadedConfig& loaded) {
    const std::string text = ConfigSummaryText(table, loaded);
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text[k] != '\r' || k + 1 >= text.size() || text[k + 1] != '\n') cli.out << text[k];
    }
}

}  // namespace

int RunConfigSave(CliContext& cli, const std::string& file) {
    SlotTable table;
    if (const int status = DiscoverWholeRack(cli, table); status != kCliOk) return status;
    std::error_code error;
    if (!SaveConfigFile(PathFromUtf8(file), table, error)) {
        cli.err << "kelvane-cli: cannot save " << file << ": " << error.message()
                << " (any file there is left as it was)\n";
        return kCliFileError;
    }
    cli.out << "saved " << static_cast<int>(table.ModuleCount) << " module configurations to " << file << '\n';
    return kCliOk;
}

int RunConfigSummary(CliContext& cli, const std::string& file, bool offline) {
    const auto loaded = std::make_unique<LoadedConfig>();
    if (!ReadConfigForCli(cli, file, *loaded)) return kCliFileError;
    SlotTable table;
    if (!offline) {
        if (const int status = DiscoverWholeRack(cli, table); status != kCliOk) return status;
    }
    PrintSummary(cli, table, *loaded);
    // Without a rack there is nothing the file could fail to fit.
    if (!offline && !ConfigMatches(table, *loaded)) {
        cli.err << "kelvane-cli: " << file << " does not fit the rack's modules\n";
        return kCliMismatch;
    }
    return kCliOk;
}

int RunConfigUpload(CliContext& cli, const std::string& file, bool send) {
    const auto loaded = std::make_unique<LoadedConfig>();
    if (!ReadConfigForCli(cli, file, *loaded)) return kCliFileError;
    SlotTable table;
    if (const int status = DiscoverWholeRack(cli, table); status != kCliOk) return status;
    PrintSummary(cli, table, *loaded);
    if (!ConfigMatches(table, *loaded)) {
        cli.err << "kelvane-cli: " << file << " does not fit the rack's modules; nothing was sent\n";
        return kCliMismatch;
    }
    if (!send) {
        cli.out << "nothing was sent: run again with --yes to send it\n";
        return kCliOk;
    }
    if (UploadLoadedConfig(cli.link, table, *loaded) != UploadResult::Sent) {
        cli.err << "kelvane-cli: some modules did not answer; their images may not have been taken\n";
        return kCliIncomplete;
    }
    cli.out << MessageText(kUploadedMessage) << '\n';
    return kCliOk;
}

}  // namespace kelvane
