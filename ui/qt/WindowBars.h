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

// The menu bar and the status bar of a window of its own, above and below the body that `layout` holds (the
// page of the window's controls and panels, as the template places them); the window grows by the bars'
// heights (see QtDialog::FitToScreen).
class WindowBars {
public:
    WindowBars(QWidget* window, QVBoxLayout& layout);

    // The height the bars take together.
    int Height() const;

    // Replaces the menus; `chosen` hears the id of each item the operator triggers.
    void SetMenus(const MenuBar& menus, std::function<void(int)> chosen);
    bool Enable(int itemId, bool enabled);
    bool IsEnabled(int itemId) const;
    void SetStatusFields(const std::vector<std::string>& fields);

private:
    void EnsureStatusBar();

    QWidget* window_;
    QVBoxLayout* layout_;
    QPointer<QMenuBar> menuBar_;
    QPointer<QStatusBar> statusBar_;
    std::map<int, QPointer<QAction>> actions_;
    std::vector<QPointer<QLabel>> fields_;
};

}  // namespace kelvane::ui::qtback
