// kelvane-cli watch: the module pairs of one rack or of many polled as the panel polls them, shown round after
// round, with alarms, a Prometheus file and /metrics over HTTP; it never writes to a rack.

#include "tools/watch/WatchCommand.h"

#include "link/Xmit.h"
#include "platform/PortEntry.h"
#include "platform/SerialPort.h"
#include "tools/common/StopSignals.h"
#include "tools/watch/MetricsServer.h"
#include "tools/watch/WatchOutput.h"
#include "tools/watch/WatchSession.h"

#include <atomic>
#include <memory>
#include <ostream>
#include <thread>

namespace kelvane {
namespace {

// Starts the HTTP server when --listen asks for it; false (said on the error stream) when it cannot serve.
bool StartServer(CliContext& cli, const WatchOptions& options, std::unique_ptr<MetricsServer>& server) {
    if (!options.listen) return true;
    server = std::make_unique<MetricsServer>();
    std::string error;
    if (server->Start(*options.listen, error)) {
        // The port the system chose for port 0 is known only here.
        const bool v6 = options.listen->host.find(':') != std::string::npos;
        cli.err << "kelvane-cli: serving http://" << (v6 ? "[" + options.listen->host + "]" : options.listen->host)
                << ':' << server->Port() << "/metrics\n"
                << std::flush;
        return true;
    }
    cli.err << "kelvane-cli: " << error << '\n';
    return false;
}

// The status of many racks' single rounds: the gravest first, as a script would want to act on it.
int Gravest(const std::vector<int>& statuses) {
    for (const int status :
         {kCliUsage, kCliRackNotFound, kCliPortBusy, kCliInactiveModule, kCliIncomplete, kCliFileError, kCliFindings}) {
        if (std::find(statuses.begin(), statuses.end(), status) != statuses.end()) return status;
    }
    return kCliOk;
}

// One rack of many, on the thread that watches it: its own port table of one entry and its own link, so that
// each line keeps its one request at a time.
int WatchOneOfMany(CliContext& cli, const WatchOptions& options, WatchOutput& output, std::size_t index,
                   const std::function<bool()>& keepGoing) {
    const std::string& entry = cli.racks[index];
    const std::unique_ptr<PortOpener> ports = cli.openerFor(entry);
    CXmit link(*ports, cli.clock);
    RackLine line{link, *ports, cli.clock, entry, ChoosePorts(entry, std::nullopt, std::nullopt).problems};
    const int status = WatchSession(line, options, output, index, true).Run(keepGoing);
    return status == kCliRackNotFound && link.LastFailure() == LinkFailure::Busy ? kCliPortBusy : status;
}

}  // namespace

int WatchRack(CliContext& cli, const WatchOptions& options, const std::function<bool()>& keepGoing) {
    std::unique_ptr<MetricsServer> server;
    if (!StartServer(cli, options, server)) return kCliUsage;
    SingleRackOutput output(cli.out, cli.err, cli.outIsTerminal, options, server.get());
    RackLine line{cli.link, cli.ports, cli.clock, cli.portOption, cli.portProblems};
    return WatchSession(line, options, output, 0, false).Run(keepGoing);
}

int WatchRacks(CliContext& cli, const WatchOptions& options, const std::function<bool()>& keepGoing) {
    if (cli.racks.size() < 2 || !cli.openerFor) return WatchRack(cli, options, keepGoing);
    std::unique_ptr<MetricsServer> server;
    if (!StartServer(cli, options, server)) return kCliUsage;
    SharedRackOutput output(cli.out, cli.err, cli.racks.size(), options, server.get());
    return WatchRacks(cli, options, output, keepGoing);
}

int WatchRacks(CliContext& cli, const WatchOptions& options, WatchOutput& output,
               const std::function<bool()>& keepGoing) {
    // A rack refused for its options (a row that is no pair) ends every watch, as it ends a single one.
    std::atomic<bool> refused{false};
    const std::function<bool()> going = [&] { return !refused && keepGoing(); };
    std::vector<int> statuses(cli.racks.size(), kCliOk);
    std::vector<std::thread> threads;
    threads.reserve(cli.racks.size());
    for (std::size_t k = 0; k < cli.racks.size(); ++k) {
        threads.emplace_back([&, k] {
            statuses[k] = WatchOneOfMany(cli, options, output, k, going);
            if (statuses[k] == kCliUsage) refused = true;
        });
    }
    for (std::thread& thread : threads) thread.join();
    return options.once || refused ? Gravest(statuses) : kCliOk;
}

int RunWatch(CliContext& cli, const WatchOptions& options) {
    const StopSignals stop;
    return WatchRacks(cli, options, [&stop] { return !stop.Requested(); });
}

}  // namespace kelvane
