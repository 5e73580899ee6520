#pragma once

#include "ui/Notification.h"

#include <QObject>
#include <QPoint>
#include <functional>
#include <utility>

class QWidget;

namespace kelvane::ui::qtback {

// Reports the left clicks and double-clicks on a widget (a list's viewport, a picture) with the row and column
// that a hit test finds under the mouse, -1 where there is none. The report follows once the widget has handled
// the event, so that a list's selection has already moved. The second click of a double-click is not reported
// as a click of its own.
class MouseClicks final : public QObject {
public:
    using HitTest = std::function<std::pair<int, int>(QPoint)>;
    using Reporter = std::function<void(Event, int row, int column)>;

    MouseClicks(QWidget& watched, HitTest hitTest, Reporter reporter);

    // No row and no column: a control without rows.
    static std::pair<int, int> NoHit(QPoint) { return {-1, -1}; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ReportLater(Event event, QPoint position);

    QWidget& watched_;
    HitTest hitTest_;
    Reporter reporter_;
    bool pressed_ = false;
    bool doubleClicked_ = false;
};

}  // namespace kelvane::ui::qtback
