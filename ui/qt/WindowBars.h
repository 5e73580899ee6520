#pragma once

#include "ui/Menu.h"

#include <QPointer>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenuBar;
class QStatusBar;
class QVBoxLayout;
class QWidget;

namespace kelvane::ui::qtback {

// The menu bar and the status bar of a window of its own. The window's controls (and its panels) move into a
// body of the template's size between the two bars, at the places the template gives them, so that nothing
// the program places in pixels moves; the window grows by the bars' heights.
class WindowBars {
public:
    explicit WindowBars(QWidget* window);

    // Where the controls and the panels of the window live.
    QWidget* Body() const { return body_; }

    // Replaces the menus; `chosen` hears the id of each item the operator triggers.
    void SetMenus(const MenuBar& menus, std::function<void(int)> chosen);
    bool Enable(int itemId, bool enabled);
    bool IsEnabled(int itemId) const;
    void SetStatusFields(const std::vector<std::string>& fields);

private:
    void EnsureStatusBar();

    QWidget* window_;
    QWidget* body_;
    QVBoxLayout* layout_;
    QPointer<QMenuBar> menuBar_;
    QPointer<QStatusBar> statusBar_;
    std::map<int, QPointer<QAction>> actions_;
    std::vector<QPointer<QLabel>> fields_;
};

}  // namespace kelvane::ui::qtback
