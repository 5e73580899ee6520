#include "ui/qt/Colors.h"

#include <QAbstractScrollArea>
#include <QWidget>

namespace kelvane::ui::qtback {
namespace {

void SetEnabledColor(QPalette& palette, QPalette::ColorRole role, const QColor& color) {
    palette.setColor(QPalette::Active, role, color);
    palette.setColor(QPalette::Inactive, role, color);
}

void SetBackground(QPalette& palette, const QColor& color) {
    for (const auto role : {QPalette::Window, QPalette::Base, QPalette::AlternateBase}) {
        palette.setColor(QPalette::All, role, color);
    }
}

}  // namespace

QColor ToQColor(Color color) { return QColor(color.red, color.green, color.blue); }

void ApplyColors(QWidget& widget, const ControlColors& colors, const QPalette& defaults) {
    QPalette palette = defaults;
    if (colors.hasText) {
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
            SetEnabledColor(palette, role, ToQColor(colors.text));
        }
    }
    if (colors.transparent) {
        SetBackground(palette, Qt::transparent);
    } else if (colors.hasBackground) {
        SetBackground(palette, ToQColor(colors.background));
    }
    widget.setPalette(palette);
    // A scroll area paints its field with its viewport; any other widget fills itself only when asked to.
    if (auto* area = qobject_cast<QAbstractScrollArea*>(&widget)) {
        area->viewport()->setAutoFillBackground(!colors.transparent);
    } else {
        widget.setAutoFillBackground(colors.hasBackground && !colors.transparent);
    }
}

}  // namespace kelvane::ui::qtback
