#pragma once

#include <QObject>

namespace kelvane::ui::qtback {

// Sends Enter and Escape, from whichever widget of a dialog has the focus, to that dialog as its OK and Cancel
// actions, before the widget can use them; only Enter on a push button presses that button. Installed on the
// application.
class KeyRouter final : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace kelvane::ui::qtback
