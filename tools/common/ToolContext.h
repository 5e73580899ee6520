#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
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

constexpr std::uint32_t kDefaultWaitBusyMs = 5000;
// How often a search is made again while a port is in use: often enough to land in the room watch leaves
// between its rounds (kRoomBetweenRoundsMs).
constexpr std::uint32_t kBusyRetryMs = 20;
constexpr std::uint32_t kRoomBetweenRoundsMs = 50;

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
    // The entries of the racks asked for, when more than one was (watch alone takes several), and how to
    // build a port table of one entry for each.
    std::vector<std::string> racks{};
    std::function<std::unique_ptr<PortOpener>(const std::string& entry)> openerFor{};
    // How long a search that met only ports in use by another program is made again before it gives up
    // (--wait-busy): a command run while watch polls the rack waits for the end of its round.
    std::uint32_t waitBusyMs = kDefaultWaitBusyMs;
};

// The rack searched for as every command does: a refused port table or a failed search is told on the error
// stream, one line an entry. A search that met a port in use is made again until it finds the rack or
// `waitBusyMs` have passed on the context's clock.
bool FindRack(CliContext& cli);
extern const char* const kNoRackText;
// Why the last search found no rack, one line each (without the program's name): the ports in use are named.
std::vector<std::string> NoRackReasons(const CXmit& link);

}  // namespace kelvane
