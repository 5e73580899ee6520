#include "tools/SearchReport.h"

#include "app/PortReasons.h"
#include "link/Xmit.h"

#include <ostream>

namespace kelvane {

void ReportSearchFailures(const CXmit& link, const std::string& portOption, std::ostream& err) {
    if (portOption.empty()) {
        err << "kelvane-cli: no rack answered on any serial port (set KELVANE_PORTS to choose the ports)\n";
    } else {
        err << "kelvane-cli: no rack answered on --port " << portOption << '\n';
    }
    for (const OpenFailure& failure : link.SearchFailures()) err << "kelvane-cli: " << OpenFailureText(failure) << '\n';
    if (link.SearchFailures().empty()) err << "kelvane-cli: " << SearchFailuresText({}, 0) << '\n';
}

bool RefusePortTable(const std::vector<std::string>& problems, std::ostream& err) {
    for (const std::string& problem : problems) err << "kelvane-cli: " << problem << '\n';
    return !problems.empty();
}

}  // namespace kelvane
