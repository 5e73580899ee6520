#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace kelvane {

class CXmit;

// After a search that found no rack: the headline, naming the --port entry when one was given, then one line
// for each port tried with the reason it gave no rack.
void ReportSearchFailures(const CXmit& link, const std::string& portOption, std::ostream& err);

// One line for each port the last search tried, with the reason it gave no rack, in English as every error of
// kelvane-cli.
std::vector<std::string> SearchFailureLines(const CXmit& link);

// Prints each problem of the port table as the operator gave it (--port, KELVANE_PORTS); true when there was
// one, and the command must not search.
bool RefusePortTable(const std::vector<std::string>& problems, std::ostream& err);

}  // namespace kelvane
