#pragma once

#include "ui/Menu.h"

#include <string>
#include <vector>

namespace kelvane {

// The items of the main window's menu bar.
enum MainMenuItem : int {
    kSaveConfigItem = 201,
    kUploadConfigItem,
    kQuitItem,
    kSearchAgainItem,
    kFirmwareFilesItem,
    kConnectToItem,
    kMessagesItem,
    kSignalHistoryItem,
    kWindowGuideItem,
    kAboutItem,
};

// The menu bar in the operator's language, with the usual shortcuts.
ui::MenuBar MainMenuBar();

// The items that start the same work as one of the main window's buttons: they are enabled and disabled with it.
std::vector<int> MenuItemsOfButton(int button);

// A menu item's text as a window's title: without its '&' and its closing ellipsis.
std::string AsTitle(const std::string& itemText);

}  // namespace kelvane
