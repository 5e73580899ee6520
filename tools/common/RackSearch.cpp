#include "tools/common/ToolContext.h"

#include "link/Xmit.h"
#include "tools/common/SearchReport.h"

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
    if (cli.link.FindPort()) return true;
    ReportSearchFailures(cli.link, cli.portOption, cli.err);
    return false;
}

}  // namespace kelvane
