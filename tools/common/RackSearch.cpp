#include "tools/common/ToolContext.h"

#include "link/Xmit.h"
#include "platform/Clock.h"
#include "tools/common/SearchReport.h"

#include <algorithm>

namespace kelvane {

const char* const kNoRackText = "no rack answered on any serial port (set KELVANE_PORTS to choose the ports)";

std::vector<std::string> NoRackReasons(const CXmit& link) {
    std::vector<std::string> reasons{kNoRackText};
    const std::vector<std::string> tried = SearchFailureLines(link);
    reasons.insert(reasons.end(), tried.begin(), tried.end());
    return reasons;
}

bool FindRack(CliContext& cli) {
    if (RefusePortTable(cli.portProblems, cli.err)) return false;
    const std::uint64_t giveUp = cli.clock.TickCount() + cli.waitBusyMs;
    while (!cli.link.FindPort()) {
        const std::uint64_t now = cli.clock.TickCount();
        if (cli.link.LastFailure() != LinkFailure::Busy || now >= giveUp) {
            ReportSearchFailures(cli.link, cli.portOption, cli.err);
            return false;
        }
        cli.clock.Sleep(static_cast<std::uint32_t>(std::min<std::uint64_t>(kBusyRetryMs, giveUp - now)));
    }
    return true;
}

}  // namespace kelvane
