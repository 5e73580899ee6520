// kelvane-cli firmware: the scan, the upgrade pass and the building of image files.

#include "app/DiscoveryExchanges.h"
#include "app/ModuleTypes.h"
#include "config/FirmwareUpdate.h"
#include "link/Xmit.h"
#include "tools/CliCommands.h"

#include <fstream>
#include <iterator>
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

}  // namespace

int RunFirmwareScan(CliContext& cli) {
    const FirmwareScan scan = ScanFirmwareFiles(cli.workingDirectory);
    if (!scan.listFound) {
        cli.err << "kelvane-cli: no firmware list " << (cli.workingDirectory / "firmware" / kFirmwareListName).string()
                << '\n';
        return kCliFileError;
    }
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
        cli.out << "  " << (note.line.empty() ? "(empty line)" : note.line) << ": " << FirmwareVerdictText(note.verdict);
        if (note.verdict == FirmwareVerdict::Chosen || note.verdict == FirmwareVerdict::NotNewer) {
            cli.out << " (" << ModuleTypeName(note.type) << ' ' << VersionLabel(note.version) << ')';
        }
        cli.out << '\n';
    }
    cli.out << static_cast<int>(scan.FirmwareFilesFound) << " usable image(s)\n";
    return kCliOk;
}

int RunFirmwareUpgrade(CliContext& cli) {
    FirmwareUpdate firmware;
    firmware.ScanFirmwareFiles(cli.workingDirectory);
    if (firmware.FirmwareFilesFound() == 0) cli.err << "kelvane-cli: no usable firmware image found\n";
    if (!FindRack(cli)) return kCliRackNotFound;

    TerminalFeedback feedback(cli.out, cli.clock);
    SlotTable table;
    bool updated = false;
    const DiscoveryReport first = RunDiscoveryExchanges(cli.link, table, [&](std::size_t row) {
        if (firmware.UpgradeModuleFirmware(cli.link, table[row], row, feedback)) updated = true;
    });
    if (first.inactiveRow || !updated) {
        if (!updated) cli.out << "no module needed an upgrade\n";
        return PrintDiscovery(cli, table, first);
    }

    cli.out << "restarting the rack...\n";
    BroadcastRestart(cli.link);
    cli.link.ClosePort();
    if (!SearchUntilFound(cli.link, cli.clock, kRebootWaitMs, [] { return true; })) {
        cli.err << "kelvane-cli: the rack did not answer again after its restart\n";
        return kCliRackNotFound;
    }
    SlotTable after;
    return PrintDiscovery(cli, after, RunDiscoveryExchanges(cli.link, after));
}

int RunFirmwareBuild(CliContext& cli, const std::vector<std::string>& args) {
    const auto type = ParseModuleType(args[0]);
    bool versionOk = false;
    const std::uint8_t version = ParseByte(args[1], versionOk);
    if (!type || !versionOk) {
        cli.err << "kelvane-cli: firmware build needs a module type (0-8 or a model name) and a version 0-255\n";
        return kCliUsage;
    }
    std::ifstream in(args[2], std::ios::binary);
    if (!in) {
        cli.err << "kelvane-cli: cannot read " << args[2] << '\n';
        return kCliFileError;
    }
    const std::vector<std::uint8_t> payload((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (*type != kPlayerType && payload.size() % kFirmwareBlock != 0) {
        cli.err << "kelvane-cli: warning: the image is not a whole number of 256-byte blocks; the scan will "
                   "refuse it for this type\n";
    }
    const std::vector<std::uint8_t> file = BuildFirmwareFile(*type, version, payload);
    std::ofstream out(args[3], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    out.close();
    if (!out) {
        cli.err << "kelvane-cli: cannot write " << args[3] << '\n';
        return kCliFileError;
    }
    cli.out << "wrote " << args[3] << ": " << ModuleTypeName(*type) << ' ' << VersionLabel(version) << ", "
            << payload.size() << " image bytes\n";
    return kCliOk;
}

}  // namespace kelvane
