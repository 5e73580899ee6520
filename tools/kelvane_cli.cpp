// kelvane-cli: the program's core from a terminal, for scripted work on a rack.

#include "KelvaneVersion.h"
#include "app/ProgramOptions.h"
#include "link/TracingPort.h"
#include "link/Xmit.h"
#include "platform/NativePorts.h"
#include "platform/PortEntry.h"
#include "platform/SystemClock.h"
#include "tools/CliCommands.h"

#include <cstdio>
#include <cstdlib>
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
    std::vector<std::string> args(argv + 1, argv + argc);
    ProgramOptions options;
    std::string error;
    const char* environmentTrace = std::getenv("KELVANE_TRACE");
    if (!TakeProgramOptions(args, environmentTrace ? environmentTrace : "", options, error)) {
        std::cerr << "kelvane-cli: " << error << "\n\n" << kCliUsageText;
        return kCliUsage;
    }
    if (args.empty()) {
        std::cerr << kCliUsageText;
        return kCliUsage;
    }
    if (const PortEntry entry = ParsePortEntry(options.portEntry); !options.portEntry.empty() && !entry.problem.empty()) {
        std::cerr << "kelvane-cli: --port " << options.portEntry << ": " << entry.problem << '\n';
        return kCliUsage;
    }
    SystemClock clock;
    std::error_code ec;
    const std::filesystem::path workingDirectory = std::filesystem::current_path(ec);
    const auto nativePorts = MakeNativePortOpener(options.portEntry, workingDirectory);
    std::unique_ptr<LineTrace> trace;
    std::unique_ptr<TracingPortOpener> tracedPorts;
    if (!options.traceFile.empty()) {
        trace = LineTrace::Create(options.traceFile, std::string("kelvane-cli ") + kKelvaneVersion,
                                  [](const std::string& message) { std::cerr << "kelvane-cli: " << message << '\n'; });
        if (trace) tracedPorts = std::make_unique<TracingPortOpener>(*nativePorts, *trace);
    }
    PortOpener& ports = tracedPorts ? static_cast<PortOpener&>(*tracedPorts) : *nativePorts;
    CXmit link(ports, clock);
    CliContext cli{link, ports, clock, std::cout, std::cerr, workingDirectory,
                   StandardOutputIsTerminal()};
    return RunCli(args, cli);
}
