#pragma once

#include <filesystem>
#include <string>

namespace kelvane {

// What the choice of the window's working folder reads from the process: the XDG data home and the home folder,
// each empty when unset.
struct DataFolderEnvironment {
    std::string xdgDataHome;
    std::string home;
};

DataFolderEnvironment DataFolderEnvironmentOfProcess();

// The folder the window works in (pref.txt, firmware/, config/). The current folder when it holds any of the
// three, as it does wherever an operator keeps a rack's files. Otherwise the program was started from a desktop
// menu, in a home folder it should not litter: the user's data folder ($XDG_DATA_HOME/kelvane, or
// ~/.local/share/kelvane), with its config/ and firmware/ folders created on first use. When there is no usable
// data folder, or it cannot be created, the current folder after all.
std::filesystem::path ChooseApplicationFolder(const std::filesystem::path& current,
                                              const DataFolderEnvironment& environment);

}  // namespace kelvane
