#pragma once

#include "tools/common/ToolContext.h"
#include "tools/watch/WatchOptions.h"

#include <functional>

namespace kelvane {

class WatchOutput;

// kelvane-cli watch once its options are read: finds the rack, then polls round after round every
// `options.intervalMs` on the context's clock while `keepGoing` says so, showing each round, writing the
// Prometheus file and telling alarms on the error stream with their time. A lost rack is searched for until it
// answers again. The exit status: with --once 0 when all is well and kCliFindings otherwise; without, 0 once
// told to stop. Either way a usage error or, with --once, a rack not found ends it at once with its status.
int WatchRack(CliContext& cli, const WatchOptions& options, const std::function<bool()>& keepGoing);
// The racks of `cli.racks`, each on its own thread with a line of its own, into one output (lines with their
// rack, or JSON; one Prometheus file and one /metrics holding every rack's series). With --once each makes
// one round and the gravest status of all is returned; a rack refused for its options (exit 1) stops them all.
// Fewer than two racks: WatchRack.
int WatchRacks(CliContext& cli, const WatchOptions& options, const std::function<bool()>& keepGoing);
// The same into an output of the caller's (the benchmark's, which times the rounds).
int WatchRacks(CliContext& cli, const WatchOptions& options, WatchOutput& output,
               const std::function<bool()>& keepGoing);
// kelvane-cli watch, until a stop signal.
int RunWatch(CliContext& cli, const WatchOptions& options);

}  // namespace kelvane
