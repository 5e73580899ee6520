#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace kelvane {

class CXmit;
class Clock;
class PortOpener;

// Exit statuses of kelvane-cli, so that scripts can tell failures apart.
enum CliStatus : int {
    kCliOk = 0,
    kCliUsage = 1,
    kCliRackNotFound = 2,
    kCliInactiveModule = 3,
    kCliIncomplete = 4,
    kCliFileError = 5,
    kCliMismatch = 6,
    kCliNoCam = 7,
    kCliPortBusy = 8,
    kCliNotWritten = 9,  // a change the pair's images cannot take: nothing was written
    // The command ran and has something to report: diff found differences, or watch --once found an input not
    // locked, a module not answering or a channel over its capacity.
    kCliFindings = 10,
};

struct CliContext {
    CXmit& link;
    PortOpener& ports;
    Clock& clock;
    std::ostream& out;
    std::ostream& err;
    // Where the firmware folder is looked for, as the program looks in its working directory.
    std::filesystem::path workingDirectory;
    // Whether `out` is a terminal, where watch redraws its table in place.
    bool outIsTerminal = false;
};

// Runs one command line (without the program's name); the exit status.
int RunCli(const std::vector<std::string>& args, CliContext& cli);

extern const char* const kCliUsageText;

// The commands, each on the same core as the window.
int RunFind(CliContext& cli);
int RunModules(CliContext& cli);
int RunFirmwareScan(CliContext& cli);
int RunFirmwareUpgrade(CliContext& cli);
int RunFirmwareBuild(CliContext& cli, const std::vector<std::string>& args);
// Configuration files; `args` are those after the command's name.
int RunConfigSave(CliContext& cli, const std::vector<std::string>& args);
int RunConfigSummary(CliContext& cli, const std::vector<std::string>& args);
int RunConfigUpload(CliContext& cli, const std::vector<std::string>& args);
// Two configuration files, or a file and the rack ("--rack"), compared; never writes.
int RunDiff(CliContext& cli, const std::vector<std::string>& args);
// The CAM of a CI module; `args` are those after "cam".
int RunCam(CliContext& cli, const std::vector<std::string>& args);
int RunShow(CliContext& cli, const std::string& row);
// Polls the pairs round after round, never writing; `args` are those after "watch".
int RunWatch(CliContext& cli, const std::vector<std::string>& args);
int RunSet(CliContext& cli, const std::string& row, const std::vector<std::string>& settings);

// Shared by the commands.
struct DiscoveryReport;
struct SlotTable;
bool FindRack(CliContext& cli);
// Prints the module list (or what went wrong); the exit status it calls for.
int PrintDiscovery(CliContext& cli, const SlotTable& table, const DiscoveryReport& report);
std::uint8_t ParseByte(const std::string& text, bool& ok);

}  // namespace kelvane
