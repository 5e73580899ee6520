#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
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
    // The --port entry searched alone, when one was given.
    std::string portOption{};
    // What is wrong with --port or KELVANE_PORTS: a command that needs the rack refuses to search (exit 1).
    std::vector<std::string> portProblems{};
};

struct CliCommandLine;

// Runs one command line (without the program's name); the exit status. The program's options (--trace,
// --port) are read but act only where the program builds its link: see ReadCliCommandLine.
int RunCli(const std::vector<std::string>& args, CliContext& cli);
// Runs a command line already read, printing its help, version or error when it holds no command to run.
int RunCli(const CliCommandLine& line, CliContext& cli);

extern const char* const kCliUsageText;

// The commands, each on the same core as the window.
int RunFind(CliContext& cli);
int RunModules(CliContext& cli);
int RunFirmwareScan(CliContext& cli);
int RunFirmwareUpgrade(CliContext& cli);
int RunFirmwareBuild(CliContext& cli, const std::vector<std::string>& args);
// Configuration files: summary without the rack when `offline`, upload sending only when `send`.
int RunConfigSave(CliContext& cli, const std::string& file);
int RunConfigSummary(CliContext& cli, const std::string& file, bool offline);
int RunConfigUpload(CliContext& cli, const std::string& file, bool send);
// Two configuration files, or a file and the rack (no `second`), compared; never writes.
int RunDiff(CliContext& cli, const std::string& first, const std::optional<std::string>& second);
// The CAM of the CI module in `row`: each choice made in turn, the first question answered with `answer`.
extern const char* const kCamArgumentsText;
int RunCam(CliContext& cli, const std::string& row, const std::vector<std::string>& choices,
           const std::optional<std::string>& answer);
int RunShow(CliContext& cli, const std::string& row);
// Polls the pairs round after round, never writing.
struct WatchOptions;
int RunWatch(CliContext& cli, const WatchOptions& options);
int RunSet(CliContext& cli, const std::string& row, const std::vector<std::string>& settings);

// Shared by the commands.
struct DiscoveryReport;
struct SlotTable;
bool FindRack(CliContext& cli);
extern const char* const kNoRackText;
// Why the last search found no rack, one line each (without the program's name): the ports in use are named.
std::vector<std::string> NoRackReasons(const CXmit& link);
// Prints the module list (or what went wrong); the exit status it calls for.
int PrintDiscovery(CliContext& cli, const SlotTable& table, const DiscoveryReport& report);
std::uint8_t ParseByte(const std::string& text, bool& ok);

}  // namespace kelvane
