// kelvane-cli: the program's core from a terminal, for scripted work on a rack.

#include "link/Xmit.h"
#include "platform/NativePorts.h"
#include "platform/SystemClock.h"
#include "tools/CliCommands.h"

#include <cstring>
#include <iostream>
#include <string>

namespace {

constexpr const char* kUsage =
    "usage: kelvane-cli COMMAND\n"
    "\n"
    "commands:\n"
    "  find      search the serial ports for the rack; print its port and controller\n"
    "  modules   search, then list the rack's modules (row, address, type, model, version, configuration length)\n"
    "\n"
    "The ports are searched as numbered COM ports. On Linux, KELVANE_PORTS=\"path:path:...\" sets the table\n"
    "of ports (entry 0 first); otherwise /dev/serial/by-id, ttyUSB*, ttyACM* and ttyS* are used in that order.\n"
    "\n"
    "exit status: 0 done, 1 usage, 2 no rack found, 3 inactive module, 4 incomplete answers from the rack\n";

}  // namespace

int main(int argc, char** argv) {
    using namespace kelvane;
    if (argc != 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        (argc == 2 ? std::cout : std::cerr) << kUsage;
        return argc == 2 ? kCliOk : kCliUsage;
    }
    const std::string command = argv[1];

    SystemClock clock;
    const auto ports = MakeNativePortOpener();
    CXmit link(*ports, clock);
    CliContext cli{link, *ports, std::cout, std::cerr};

    if (command == "find") return RunFind(cli);
    if (command == "modules") return RunModules(cli);
    std::cerr << "kelvane-cli: unknown command '" << command << "'\n\n" << kUsage;
    return kCliUsage;
}
