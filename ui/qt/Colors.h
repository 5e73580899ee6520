#pragma once

#include "ui/Geometry.h"

#include <QColor>
#include <QPalette>

class QWidget;

namespace kelvane::ui::qtback {

QColor ToQColor(Color color);

// Paints `widget` with the program's colours over `defaults`: the text colour for every kind of text, the
// background for both the window and the entry field; a transparent control lets what lies behind it show.
// Disabled controls keep the platform's greyed text.
void ApplyColors(QWidget& widget, const ControlColors& colors, const QPalette& defaults);

}  // namespace kelvane::ui::qtback
