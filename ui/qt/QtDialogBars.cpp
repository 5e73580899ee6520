// A window's menu bar and status bar, on Qt.

#include "ui/qt/Activity.h"
#include "ui/qt/DialogWindow.h"
#include "ui/qt/QtDialog.h"
#include "ui/qt/WindowBars.h"

namespace kelvane::ui {

QWidget* QtDialog::ClientArea() const { return content_; }

qtback::WindowBars& QtDialog::Bars() {
    if (bars_ == nullptr) {
        const qtback::ProgramScope scope;
        bars_ = std::make_unique<qtback::WindowBars>(window_, *layout_);
    }
    return *bars_;
}

void QtDialog::SetMenuBar(const MenuBar& menus) {
    if (window_ == nullptr || !window_->isWindow()) {
        qWarning("Kelvane dialog %d: only a window of its own has a menu bar", template_.id);
        return;
    }
    const qtback::ProgramScope scope;
    Bars().SetMenus(menus, [this](int itemId) { MenuItemChosen(itemId); });
    Refit();
}

void QtDialog::EnableMenuItem(int itemId, bool enabled) {
    if (bars_ == nullptr || !bars_->Enable(itemId, enabled)) {
        qWarning("Kelvane dialog %d: no menu item %d", template_.id, itemId);
    }
}

bool QtDialog::IsMenuItemEnabled(int itemId) const { return bars_ != nullptr && bars_->IsEnabled(itemId); }

void QtDialog::SetStatusFields(const std::vector<std::string>& fields) {
    if (window_ == nullptr || !window_->isWindow()) return;
    const qtback::ProgramScope scope;
    Bars().SetStatusFields(fields);
    Refit();
}

}  // namespace kelvane::ui
