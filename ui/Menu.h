#pragma once

#include <string>
#include <vector>

namespace kelvane::ui {

// One entry of a window's menu bar. Its id comes back to the window's handler when the operator chooses it.
struct MenuItem {
    int id = 0;
    std::string text;  // '&' marks the letter that opens it from the keyboard
    std::string shortcut;  // in the portable form "Ctrl+S", "F5"; empty for none
    bool separatorBefore = false;
};

struct Menu {
    std::string title;
    std::vector<MenuItem> items;
};

using MenuBar = std::vector<Menu>;

}  // namespace kelvane::ui
