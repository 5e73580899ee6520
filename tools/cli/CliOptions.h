#pragma once

#include "app/ProgramOptions.h"
#include "platform/PortEntry.h"

#include <functional>
#include <string>
#include <vector>

namespace kelvane {

struct CliContext;

// A kelvane-cli command line as read: the program's options, then either the command to run with its
// arguments, or the text to print instead (help or the version on standard output, an error on standard error).
struct CliCommandLine {
    ProgramOptions program;
    // The racks asked for by more than one --port, by --rack or by watch --all: their entries are looked up
    // where the port table is read. Empty when at most one --port was given (it is in `program`).
    RackRequest racks;
    std::function<int(CliContext&)> command;  // empty when `text` is all there is to do
    std::string text;
    int status = 0;  // with `text`: 0 for help or the version, the usage status for an error
};

// Reads the arguments (without the program's name). Options go before or after the command, "--" ends them, and
// every command answers --help. Without --trace, `environmentTrace` (KELVANE_TRACE, empty when unset) names
// the trace file.
CliCommandLine ReadCliCommandLine(const std::vector<std::string>& args, const std::string& environmentTrace);

}  // namespace kelvane
