#pragma once

#include "link/Xmit.h"
#include "tools/cli/CliCommands.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace kelvane::test {

// What one run of kelvane-cli left: its exit status and what it wrote on each stream.
struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs `command` in this process on kelvane-cli's objects, as the program would from `folder`. The port is let
// go afterwards, as the program lets go of it when it ends.
inline CliRun RunCliIn(CXmit& link, PortOpener& ports, Clock& clock, const std::filesystem::path& folder,
                       const std::function<int(CliContext&)>& command) {
    std::ostringstream out, err;
    CliContext cli{link, ports, clock, out, err, folder};
    CliRun run;
    run.status = command(cli);
    link.ClosePort();
    run.out = out.str();
    run.err = err.str();
    return run;
}

// The command line `args`, read as kelvane-cli reads its own.
inline CliRun RunCliIn(CXmit& link, PortOpener& ports, Clock& clock, const std::filesystem::path& folder,
                       const std::vector<std::string>& args) {
    return RunCliIn(link, ports, clock, folder, [&args](CliContext& cli) { return RunCli(args, cli); });
}

// kelvane-cli as a program: `shellLine` runs it through the shell, its error stream going to `errFile`, which
// is read back when it has ended.
inline CliRun RunCliProgram(const std::string& shellLine, const std::filesystem::path& errFile) {
    const std::string line = shellLine + " 2>'" + errFile.string() + "'";
    CliRun run;
    FILE* pipe = popen(line.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[512];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errFile, std::ios::binary);
    run.err.assign(std::istreambuf_iterator<char>(err), {});
    return run;
}

}  // namespace kelvane::test
