#include "app/ApplicationFolder.h"

#include <cstdlib>
#include <system_error>

namespace kelvane {
namespace {

namespace fs = std::filesystem;

constexpr const char* kOperatorFiles[] = {"pref.txt", "firmware", "config"};
constexpr const char* kCreatedFolders[] = {"config", "firmware"};

bool HoldsOperatorFiles(const fs::path& folder) {
    for (const char* name : kOperatorFiles) {
        std::error_code error;
        if (fs::exists(folder / name, error)) return true;
    }
    return false;
}

// A relative XDG_DATA_HOME is invalid and ignored, as the XDG base directory rules say.
fs::path DataHome(const DataFolderEnvironment& environment) {
    const fs::path xdg(environment.xdgDataHome);
    if (!xdg.empty() && xdg.is_absolute()) return xdg;
    const fs::path home(environment.home);
    if (!home.empty() && home.is_absolute()) return home / ".local" / "share";
    return {};
}

#ifndef _WIN32
std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}
#endif

}  // namespace

DataFolderEnvironment DataFolderEnvironmentOfProcess() {
#ifdef _WIN32
    // Windows programs are started in the folder of their shortcut; there is no XDG data home to move to.
    return {};
#else
    return {Variable("XDG_DATA_HOME"), Variable("HOME")};
#endif
}

fs::path ChooseApplicationFolder(const fs::path& current, const DataFolderEnvironment& environment) {
    if (HoldsOperatorFiles(current)) return current;
    const fs::path dataHome = DataHome(environment);
    if (dataHome.empty()) return current;
    const fs::path folder = dataHome / "kelvane";
    for (const char* name : kCreatedFolders) {
        std::error_code error;
        fs::create_directories(folder / name, error);
        if (error) return current;
    }
    return folder;
}

}  // namespace kelvane
