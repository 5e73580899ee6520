#include "tools/common/SearchReport.h"

#include "app/PortReasons.h"
#include "link/Xmit.h"
#include "tools/common/ToolContext.h"

#include <ostream>

namespace kelvane {

std::vector<std::string> SearchFailureLines(const CXmit& link) {
    std::vector<std::string> lines;
    for (const OpenFailure& failure : link.SearchFailures()) lines.push_back(OpenFailureText(failure, kEnglish));
    return lines;
}

void ReportSearchFailures(const CXmit& link, const std::string& portOption, std::ostream& err) {
    if (portOption.empty()) {
        err << "kelvane-cli: " << kNoRackText << '\n';
    } else {
        err << "kelvane-cli: no rack answered on --port " << portOption << '\n';
    }
    for (const std::string& line : SearchFailureLines(link)) err << "kelvane-cli: " << line << '\n';
    if (link.SearchFailures().empty()) err << "kelvane-cli: " << SearchFailuresText({}, 0, kEnglish) << '\n';
}

bool RefusePortTable(const std::vector<std::string>& problems, std::ostream& err) {
    for (const std::string& problem : problems) err << "kelvane-cli: " << problem << '\n';
    return !problems.empty();
}

}  // namespace kelvane
