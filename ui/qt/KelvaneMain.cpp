// The program: the rack's control window on Qt.

#include "KelvaneVersion.h"
#include "app/ApplicationFolder.h"
#include "app/KelvaneApp.h"
#include "app/Preferences.h"
#include "app/ProgramOptions.h"
#include "link/TracingPort.h"
#include "link/Xmit.h"
#include "platform/NativePorts.h"
#include "platform/SystemClock.h"
#include "ui/qt/QtWindowSystem.h"

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Without a display Qt would abort; say what is wrong instead.
bool DisplayAvailable() {
    if (std::getenv("QT_QPA_PLATFORM") != nullptr) return true;
#if defined(_WIN32) || defined(__APPLE__)
    return true;
#else
    return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::cout << "kelvane " << kelvane::kKelvaneVersion << '\n';
        return 0;
    }
    std::vector<std::string> args(argv + 1, argv + argc);
    kelvane::ProgramOptions options;
    std::string error;
    const char* environmentTrace = std::getenv("KELVANE_TRACE");
    if (!kelvane::TakeProgramOptions(args, environmentTrace ? environmentTrace : "", options, error)) {
        std::cerr << "kelvane: " << error << '\n';
        return 1;
    }
    if (!DisplayAvailable()) {
        std::cerr << "kelvane: no display to open the window on (set DISPLAY, or use kelvane-cli)\n";
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName("Kelvane");
    QApplication::setOrganizationName("Telquine");
    QApplication::setApplicationVersion(kelvane::kKelvaneVersion);
    // Desktops match the window to its menu entry and icon by this name.
    QGuiApplication::setDesktopFileName("com.telquine.kelvane");

    kelvane::SystemClock clock;
    // ports.txt lies in the folder the window works in, beside pref.txt, and so does where the windows stood.
    const std::filesystem::path folder = kelvane::ChooseApplicationFolder(kelvane::CurrentApplicationDirectory(),
                                                                          kelvane::DataFolderEnvironmentOfProcess());
    if (!options.rackName.empty()) {
        // --rack NAME is the entry of that name, searched alone as --port's would be.
        kelvane::RackRequest request{{}, {options.rackName}, false};
        if (!options.portEntry.empty()) request.ports.push_back(options.portEntry);
        const kelvane::RackChoice choice = kelvane::ChooseNativeRacks(request, folder);
        if (!choice.problem.empty() || choice.entries.size() != 1) {
            std::cerr << "kelvane: " << (choice.problem.empty() ? "the window opens one rack" : choice.problem) << '\n';
            return 1;
        }
        options.portEntry = choice.entries.front();
    }
    const auto nativePorts = kelvane::MakeNativePortOpener(options.portEntry, folder);
    std::unique_ptr<kelvane::LineTrace> trace;
    std::unique_ptr<kelvane::TracingPortOpener> tracedPorts;
    if (!options.traceFile.empty()) {
        trace =
            kelvane::LineTrace::Create(options.traceFile, std::string("kelvane ") + kelvane::kKelvaneVersion,
                                       [](const std::string& message) { std::cerr << "kelvane: " << message << '\n'; });
        if (trace) tracedPorts = std::make_unique<kelvane::TracingPortOpener>(*nativePorts, *trace);
    }
    kelvane::PortOpener& ports = tracedPorts ? static_cast<kelvane::PortOpener&>(*tracedPorts) : *nativePorts;
    kelvane::CXmit link(ports, clock);
    kelvane::ui::QtWindowSystem windows(clock);
    windows.KeepWindowPlacesIn(folder.string());
    kelvane::CKelvaneApp program(windows, link);
    program.Run();
    return 0;
}
