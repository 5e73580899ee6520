#include "ui/qt/Control.h"

#include "ui/qt/Colors.h"

#include <QApplication>
#include <QWidget>

namespace kelvane::ui::qtback {
namespace {

QRect ToQRect(const Rect& rect) { return QRect(rect.x, rect.y, rect.width, rect.height); }

}  // namespace

Control::Control(const ControlTemplate& source, QWidget* widget, ControlSink& sink)
    : source_(source), widget_(widget), sink_(sink), context_(std::make_unique<QObject>()), text_(source.caption) {
    widget_->setObjectName(QStringLiteral("control-%1").arg(source.id));
    widget_->setProperty(kMarker, true);
    widget_->setGeometry(ToQRect(DialogUnitsToPixels(source.rect)));
    widget_->setVisible(HasStyle(kVisible));
    widget_->setEnabled(!HasStyle(kDisabled));
    // Like a dialog's controls: Tab reaches only tab stops, yet a click still gives an entry field the focus.
    if (widget_->focusPolicy() != Qt::NoFocus) {
        widget_->setFocusPolicy(HasStyle(kTabStop) ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

Control::~Control() = default;

void Control::SetFont(const QFont& font) { widget_->setFont(font); }

void Control::SetColors(const ControlColors& colors) {
    colors_ = colors;
    colored_ = true;
    RefreshColors();
}

void Control::RefreshColors() {
    if (colored_) {
        ApplyColors(*widget_, colors_, DefaultPalette());
    } else {
        widget_->setPalette(DefaultPalette());
    }
}

QPalette Control::DefaultPalette() const { return QApplication::palette(widget_); }

void Control::Report(Event event, int row, int column) const {
    Notification notification;
    notification.control = source_.id;
    notification.event = event;
    notification.row = row;
    notification.column = column;
    sink_.Report(notification);
}

}  // namespace kelvane::ui::qtback
