// kelvane-cli firmware: the scan, the upgrade pass and the building of image files.

#include "app/DiscoveryExchanges.h"
#include "app/ModuleTypes.h"
#include "config/ConfigFile.h"
#include "config/FirmwareUpdate.h"
#include "link/Xmit.h"
#include "platform/FileToolkit.h"
#include "tools/cli/CliCommands.h"

#include <ostream>

namespace kelvane {
namespace {

// Upgrade progress on the terminal: each step on a line of its own, the bytes sent on one line that moves.
class TerminalFeedback final : public UpgradeFeedback {
public:
    TerminalFeedback(std::ostream& out, Clock& clock) : out_(out), clock_(clock) {}

    void ShowText(const std::string& text, std::uint32_t) override {
        EndProgressLine();
        std::string line = text;
        for (std::size_t at; (at = line.find("\r\n")) != std::string::npos;) line.replace(at, 2, ": ");
        out_ << line << '\n';
    }
    void Progress(int range, int position) override {
        if (range == 0) return EndProgressLine();
        out_ << "\r  " << position << " of " << range << " bytes" << std::flush;
        progressShown_ = true;
    }
    void Beep(unsigned, unsigned) override { out_ << '\a' << std::flush; }
    void Pause(std::uint32_t milliseconds) override { clock_.Sleep(milliseconds); }

private:
    void EndProgressLine() {
        if (progressShown_) out_ << '\n';
        progressShown_ = false;
    }
    std::ostream& out_;
    Clock& clock_;
    bool progressShown_ = false;
};

std::optional<std::uint8_t> ParseModuleType(const std::string& text) {
    for (std::uint8_t type = 0; *ModuleTypeName(type) != '\0'; ++type) {
        if (text == ModuleTypeName(type)) return type;
    }
    bool ok = false;
    const std::uint8_t code = ParseByte(text, ok);
    if (ok && *ModuleTypeName(code) != '\0') return code;
    return std::nullopt;
}

std::string UpgradeOf(std::size_t row, std::uint8_t type, std::uint8_t address) {
    return "the upgrade of row " + std::to_string(row) + " (" + ModuleTypeName(type) + ", address " +
           std::to_string(address) + ")";
}

std::string UpgradeFailureLine(std::size_t row, const SlotRecord& record, const UpgradeOutcome& outcome) {
    return UpgradeOf(row, record.Type, record.Address) + " failed: " + UpgradeFailureText(outcome);
}

std::string NotTakenLine(const VersionNotTaken& failure) {
    const UpgradeKey& image = failure.image;
    return UpgradeOf(failure.row, image.type, image.address) + " did not take: the module reports " +
           VersionLabel(failure.reported) + " after an upgrade to " + VersionLabel(image.version);
}

// The restart could not be sent: waiting for a rack that was never told to restart, on a line that may be
// gone, would only hold the terminal.
std::string RestartNotSentLine(const CXmit& link) {
    const std::string port = link.PortName();
    return link.LastFailure() == LinkFailure::HungUp
               ? "the line " + port + " hung up before the rack was told to restart"
               : "the restart request could not be written on " + port;
}

// Each failed upgrade on a line of its own; the status they call for.
int ReportFailures(CliContext& cli, const std::vector<std::string>& failures) {
    for (const std::string& failure : failures) cli.err << "kelvane-cli: " << failure << '\n';
    return failures.empty() ? kCliOk : kCliIncomplete;
}

// A rack that is not as it should be says more than a failed upgrade: its status wins.
int WorstOf(int upgrades, int discovery) { return discovery != kCliOk ? discovery : upgrades; }

std::string BuildRefusalText(FirmwareVerdict refusal, std::uint8_t type) {
    switch (refusal) {
    case FirmwareVerdict::TooShort: return "is empty: an image needs at least one byte";
    case FirmwareVerdict::TooLarge: return "is larger than 16 MiB, the most a module can take";
    case FirmwareVerdict::NotWholeBlocks:
        return std::string("is not a whole number of 256-byte blocks, which ") + ModuleTypeName(type) +
               " images must be";
    default: return FirmwareVerdictText(refusal);
    }
}

// Scan and upgrade both stop on a folder without its list: there is nothing to read, nor to send.
bool ListFound(CliContext& cli, const FirmwareScan& scan) {
    if (!scan.listFound) {
        cli.err << "kelvane-cli: no firmware list " << (cli.workingDirectory / "firmware" / kFirmwareListName).string()
                << '\n';
    }
    return scan.listFound;
}

}  // namespace

int RunFirmwareScan(CliContext& cli) {
    const FirmwareScan scan = ScanFirmwareFiles(cli.workingDirectory);
    if (!ListFound(cli, scan)) return kCliFileError;
    cli.out << "kept, by type:\n";
    for (std::uint8_t type = 0; *ModuleTypeName(type) != '\0'; ++type) {
        const FirmwareEntry& entry = scan.table[type];
        cli.out << "  " << ModuleTypeName(type) << "  ";
        if (entry.BestVersion == 0) {
            cli.out << "none\n";
        } else {
            cli.out << VersionLabel(entry.BestVersion) << "  " << entry.ImagePath.string() << "  (upgrades from "
                    << VersionLabel(entry.MinUpgradableVersion) << " and from V0.x)\n";
        }
    }
    cli.out << "listed files:\n";
    for (const FirmwareScanNote& note : scan.notes) {
        cli.out << "  " << (note.line.empty() ? "(empty line)" : note.line) << ": "
                << FirmwareVerdictText(note.verdict);
        if (note.verdict == FirmwareVerdict::Chosen || note.verdict == FirmwareVerdict::NotNewer) {
            cli.out << " (" << ModuleTypeName(note.type) << ' ' << VersionLabel(note.version) << ')';
        }
        if (note.error) cli.out << " (" << note.error.message() << ')';
        cli.out << '\n';
    }
    if (scan.listCut) cli.out << "  (the list was read no further than " << kMaxFirmwareListLines << " lines)\n";
    cli.out << static_cast<int>(scan.FirmwareFilesFound) << " usable image(s)\n";
    return kCliOk;
}

int RunFirmwareUpgrade(CliContext& cli) {
    FirmwareUpdate firmware;
    firmware.ScanFirmwareFiles(cli.workingDirectory);
    if (!ListFound(cli, firmware.Scan())) return kCliFileError;
    if (firmware.FirmwareFilesFound() == 0) cli.err << "kelvane-cli: no usable firmware image found\n";
    if (!FindRack(cli)) return kCliRackNotFound;

    TerminalFeedback feedback(cli.out, cli.clock);
    SlotTable table;
    bool updated = false;
    std::vector<std::string> failures;
    std::vector<UpgradeKey> written;  // a failed upgrade has its line already
    const DiscoveryReport first = RunDiscoveryExchanges(cli.link, table, [&](std::size_t row) {
        const UpgradeOutcome outcome = firmware.UpgradeModuleFirmware(cli.link, table[row], row, feedback);
        if (outcome.started) updated = true;
        if (outcome.offered && !outcome.Failed()) written.push_back(*outcome.offered);
        if (outcome.Failed()) failures.push_back(UpgradeFailureLine(row, table[row], outcome));
    });
    if (first.inactiveRow || !updated) {
        if (!updated && failures.empty()) cli.out << "no module needed an upgrade\n";
        const int status = PrintDiscovery(cli, table, first);
        return WorstOf(ReportFailures(cli, failures), status);
    }

    cli.out << "restarting the rack...\n";
    if (!BroadcastRestart(cli.link)) {
        failures.push_back(RestartNotSentLine(cli.link));
        cli.link.ClosePort();
        return ReportFailures(cli, failures);
    }
    cli.link.ClosePort();
    if (!SearchUntilFound(cli.link, cli.clock, kRebootWaitMs, [] { return true; })) {
        ReportFailures(cli, failures);
        cli.err << "kelvane-cli: the rack did not answer again after its restart\n";
        return kCliRackNotFound;
    }
    SlotTable after;
    const int status = PrintDiscovery(cli, after, RunDiscoveryExchanges(cli.link, after));
    for (const VersionNotTaken& failure : firmware.CheckVersionsAfterRestart(written, after)) {
        failures.push_back(NotTakenLine(failure));
    }
    return WorstOf(ReportFailures(cli, failures), status);
}

int RunFirmwareBuild(CliContext& cli, const std::vector<std::string>& args) {
    const auto type = ParseModuleType(args[0]);
    bool versionOk = false;
    const std::uint8_t version = ParseByte(args[1], versionOk);
    if (!type || !versionOk) {
        cli.err << "kelvane-cli: firmware build needs a module type (0-8 or a model name) and a version 0-255\n";
        return kCliUsage;
    }
    std::vector<std::uint8_t> payload;
    std::error_code error;
    if (!ReadRegularFile(PathFromUtf8(args[2]), kMaxFirmwareImage, payload, error)) {
        cli.err << "kelvane-cli: cannot read " << args[2] << ": "
                << (error == std::errc::file_too_large ? "larger than 16 MiB, the most a module can take"
                                                       : error.message())
                << "; nothing was written\n";
        return kCliFileError;
    }
    if (const auto refusal = ImageRefusal(*type, payload.size())) {
        cli.err << "kelvane-cli: " << args[2] << ' ' << BuildRefusalText(*refusal, *type)
                << "; the scan would refuse it, nothing was written\n";
        return kCliFileError;
    }
    if (PathFromUtf8(args[3]).filename().string().rfind(ModuleTypeName(*type), 0) != 0) {
        cli.err << "kelvane-cli: note: the scan takes this image only from a line of KXR.FRM that starts with "
                << ModuleTypeName(*type) << '\n';
    }
    const std::vector<std::uint8_t> file = BuildFirmwareFile(*type, version, payload);
    if (!ReplaceFileAtomically(PathFromUtf8(args[3]), file, error)) {
        cli.err << "kelvane-cli: cannot write " << args[3] << ": " << error.message() << '\n';
        return kCliFileError;
    }
    cli.out << "wrote " << args[3] << ": " << ModuleTypeName(*type) << ' ' << VersionLabel(version) << ", "
            << payload.size() << " image bytes\n";
    return kCliOk;
}

}  // namespace kelvane
