#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace kelvane::ui::qtback {

// The program's bitmaps and icons are SVG files in the Qt resource system, under ":/art": bitmap-<id>.svg,
// icon-<id>.svg and, for icons with a small variant, icon-<id>-16.svg. They are rendered at the size asked for,
// keeping their proportions, centred on a transparent ground. A missing or broken file gives a null result.

QPixmap RenderBitmap(int resource, QSize size);
QPixmap RenderIcon(int resource, QSize size);
// Every usual icon size, the small ones from the small variant when there is one; null when the icon is missing.
QIcon LoadIcon(int resource);

}  // namespace kelvane::ui::qtback
