#include "ui/qt/MouseClicks.h"

#include <QMouseEvent>
#include <QWidget>

namespace kelvane::ui::qtback {

MouseClicks::MouseClicks(QWidget& watched, HitTest hitTest, Reporter reporter)
    : watched_(watched), hitTest_(std::move(hitTest)), reporter_(std::move(reporter)) {
    watched_.installEventFilter(this);
}

bool MouseClicks::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &watched_) return false;
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick) {
        return false;
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton) return false;
    const QPoint position = mouse->position().toPoint();
    if (type == QEvent::MouseButtonPress) {
        pressed_ = true;
    } else if (type == QEvent::MouseButtonDblClick) {
        doubleClicked_ = true;
        ReportLater(Event::DoubleClicked, position);
    } else {
        const bool click = pressed_ && !doubleClicked_ && watched_.rect().contains(position);
        pressed_ = false;
        doubleClicked_ = false;
        if (click) ReportLater(Event::Clicked, position);
    }
    return false;
}

void MouseClicks::ReportLater(Event event, QPoint position) {
    const auto [row, column] = hitTest_(position);
    QMetaObject::invokeMethod(
        this, [this, event, row = row, column = column] { reporter_(event, row, column); }, Qt::QueuedConnection);
}

}  // namespace kelvane::ui::qtback
