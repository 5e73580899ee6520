#pragma once

#include <iosfwd>

namespace kelvane {

class CXmit;
class PortOpener;

// Exit statuses of kelvane-cli, so that scripts can tell failures apart.
enum CliStatus : int {
    kCliOk = 0,
    kCliUsage = 1,
    kCliRackNotFound = 2,
    kCliInactiveModule = 3,
    kCliIncomplete = 4,
};

struct CliContext {
    CXmit& link;
    PortOpener& ports;
    std::ostream& out;
    std::ostream& err;
};

// kelvane-cli find: search the ports and name the rack's port and its controller.
int RunFind(CliContext& cli);

// kelvane-cli modules: search, then discover the modules and print one line per row.
int RunModules(CliContext& cli);

}  // namespace kelvane
