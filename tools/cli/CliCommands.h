#pragma once

#include "tools/common/ToolContext.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvane {

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
int RunSet(CliContext& cli, const std::string& row, const std::vector<std::string>& settings);

// A rack's configuration as text, from the rack or from a configuration file, for the pairs of `rows` (all
// when empty).
int RunExport(CliContext& cli, const std::optional<std::string>& file, const std::vector<std::string>& rows);
// A text configuration applied: to the rack, or with `to` and `from` to a configuration file from another;
// with `plan`, what would change is printed and nothing is written.
struct ApplyRequest {
    std::string file;
    bool plan = false;
    std::optional<std::string> to;
    std::optional<std::string> from;
};
int RunApply(CliContext& cli, const ApplyRequest& request);

// Shared by the commands.
struct DiscoveryReport;
struct LoadedConfig;
struct SlotTable;
// Discovery as the program runs it, ending with the images read taken as those the modules hold. A rack that
// was not wholly read is not worked on: its table is not what is installed (the status says why).
int DiscoverWholeRack(CliContext& cli, SlotTable& table);
// A configuration file read, or why not on the error stream.
bool ReadConfigForCli(CliContext& cli, const std::string& file, LoadedConfig& loaded);
// Prints the module list (or what went wrong); the exit status it calls for.
int PrintDiscovery(CliContext& cli, const SlotTable& table, const DiscoveryReport& report);
std::uint8_t ParseByte(const std::string& text, bool& ok);

}  // namespace kelvane
