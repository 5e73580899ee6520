#pragma once

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
};

// The rack searched for as every command does: a refused port table or a failed search is told on the error
// stream, one line an entry.
bool FindRack(CliContext& cli);
extern const char* const kNoRackText;
// Why the last search found no rack, one line each (without the program's name): the ports in use are named.
std::vector<std::string> NoRackReasons(const CXmit& link);

}  // namespace kelvane
