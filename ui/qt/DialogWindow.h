#pragma once

#include <QWidget>
#include <functional>

namespace kelvane::ui::qtback {

// The widget of a dialog: a window of its own or a panel inside its parent's. It turns the dialog keys and the
// close box into calls of its owner, and never closes by itself.
class DialogWindow final : public QWidget {
public:
    struct Actions {
        std::function<void()> ok;
        std::function<void()> cancel;
        std::function<void()> close;
    };

    DialogWindow(QWidget* parent, Qt::WindowFlags flags);

    void SetActions(Actions actions) { actions_ = std::move(actions); }
    // The owner is gone; the widget may live a moment longer but reports nothing more.
    void Detach() { actions_ = {}; }

    // Enter and Escape, routed here from whichever widget of the dialog had them.
    void Ok();
    void Cancel();

    // The dialog whose widgets include `widget`, the innermost when panels nest; null outside any dialog.
    static DialogWindow* Of(QWidget* widget);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Actions actions_;
};

}  // namespace kelvane::ui::qtback
