#pragma once

#include <string>
#include <vector>

namespace kelvane {

// What the programs take before their command (kelvane-cli) or alone (the window).
struct ProgramOptions {
    std::string traceFile;  // record the line in this pcapng file; empty: no trace
    std::string portEntry;  // --port: search this one port-table entry alone; empty: the usual table
    std::string rackName;  // --rack: the window's rack, by the name the port table gives it; empty: none
};

// What the programs say of an option given without its value.
extern const char* const kTraceNeedsFileText;
extern const char* const kPortNeedsEntryText;
extern const char* const kRackNeedsNameText;

// Takes the options at the front of `args` and leaves the rest (the command) in it. Without --trace, the
// environment's KELVANE_TRACE (`environmentTrace`, empty when unset) names the trace file. False with `error`
// when an option lacks its value.
bool TakeProgramOptions(std::vector<std::string>& args, const std::string& environmentTrace, ProgramOptions& options,
                        std::string& error);

}  // namespace kelvane
