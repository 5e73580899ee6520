// kelvane-cli: the program's core from a terminal, for scripted work on a rack.

#include "KelvaneVersion.h"
#include "app/ProgramOptions.h"
#include "link/TracingPort.h"
#include "link/Xmit.h"
#include "platform/NativePorts.h"
#include "platform/SystemClock.h"
#include "tools/cli/CliCommands.h"
#include "tools/cli/CliOptions.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#ifdef _WIN32
#include <io.h>
#include <windows.h>
#include <shellapi.h>
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

#ifdef _WIN32
std::string Utf8FromWide(const wchar_t* wide) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), size, nullptr, nullptr);
    text.resize(static_cast<std::size_t>(size - 1));
    return text;
}
#endif

// The arguments in UTF-8, as every command reads them. Windows hands main() the ANSI code page's reading, in
// which a network name like "Télé" or a file like "café.kcf" loses its letters; the wide command line keeps
// them. The console is told to show the UTF-8 that the program writes.
std::vector<std::string> Utf8Arguments(int argc, char** argv) {
#ifdef _WIN32
    SetConsoleOutputCP(CP_UTF8);
    int count = 0;
    if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        std::vector<std::string> args;
        for (int k = 1; k < count; ++k) args.push_back(Utf8FromWide(wide[k]));
        LocalFree(wide);
        return args;
    }
#endif
    return {argv + 1, argv + argc};
}

// An environment variable in UTF-8, read as the arguments are.
std::string Utf8Environment(const char* name) {
#ifdef _WIN32
    const std::wstring wideName(name, name + std::char_traits<char>::length(name));
    const wchar_t* value = _wgetenv(wideName.c_str());
    return value != nullptr ? Utf8FromWide(value) : std::string();
#else
    const char* value = std::getenv(name);
    return value != nullptr ? value : std::string();
#endif
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kelvane;
    const std::vector<std::string> args = Utf8Arguments(argc, argv);
    if (args.empty()) {
        std::cerr << kCliUsageText;
        return kCliUsage;
    }
    const CliCommandLine line = ReadCliCommandLine(args, Utf8Environment("KELVANE_TRACE"));
    ProgramOptions options = line.program;
    if (!line.command) {
        (line.status == kCliOk ? std::cout : std::cerr) << line.text;
        return line.status;
    }
    SystemClock clock;
    std::error_code ec;
    const std::filesystem::path workingDirectory = std::filesystem::current_path(ec);
    std::vector<std::string> racks;
    if (!line.racks.Empty()) {
        const RackChoice choice = ChooseNativeRacks(line.racks, workingDirectory);
        if (!choice.problem.empty()) {
            std::cerr << "kelvane-cli: " << choice.problem << '\n';
            return kCliUsage;
        }
        if (choice.entries.size() == 1) options.portEntry = choice.entries.front();
        if (choice.entries.size() > 1) racks = choice.entries;
    }
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
    CliContext cli{
        link,
        ports,
        clock,
        std::cout,
        std::cerr,
        workingDirectory,
        StandardOutputIsTerminal(),
        options.portEntry,
        PortTableProblems(options.portEntry),
        racks,
        [&workingDirectory](const std::string& entry) { return MakeNativePortOpener(entry, workingDirectory); }};
    return RunCli(line, cli);
}
