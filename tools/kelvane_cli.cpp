// kelvane-cli: the program's core from a terminal, for scripted work on a rack.

#include "link/Xmit.h"
#include "platform/NativePorts.h"
#include "platform/SystemClock.h"
#include "tools/CliCommands.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

bool StandardOutputIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stdout)) != 0;
#else
    return isatty(STDOUT_FILENO) != 0;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kelvane;
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << kCliUsageText;
        return kCliUsage;
    }
    SystemClock clock;
    const auto ports = MakeNativePortOpener();
    CXmit link(*ports, clock);
    std::error_code ec;
    CliContext cli{link, *ports, clock, std::cout, std::cerr, std::filesystem::current_path(ec), StandardOutputIsTerminal()};
    return RunCli(args, cli);
}
