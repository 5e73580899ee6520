#include "ui/qt/DialogWindow.h"

#include <QCloseEvent>

namespace kelvane::ui::qtback {
namespace {

void Run(const std::function<void()>& action) {
    if (action) action();
}

}  // namespace

DialogWindow::DialogWindow(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags) {}

void DialogWindow::Ok() { Run(actions_.ok); }

void DialogWindow::Cancel() { Run(actions_.cancel); }

DialogWindow* DialogWindow::Of(QWidget* widget) {
    for (QWidget* at = widget; at != nullptr; at = at->parentWidget()) {
        if (auto* dialog = dynamic_cast<DialogWindow*>(at)) return dialog;
        // Another window, such as a combo box's drop-down, is not part of the dialog that made it.
        if (at->isWindow()) return nullptr;
    }
    return nullptr;
}

void DialogWindow::closeEvent(QCloseEvent* event) {
    // Whether the window goes is for the program to say: the close box only asks.
    event->ignore();
    Run(actions_.close);
}

}  // namespace kelvane::ui::qtback
