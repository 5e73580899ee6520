#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QString>
#include <optional>

class QWidget;

namespace kelvane::ui::qtback {

// Where the program's windows stood when they were last closed, kept between runs in an INI file. Nothing is
// kept until a file is named (the program names one in its data folder; tests mostly do not).
void KeepWindowPlacesIn(const QString& iniFile);
void RememberWindowPlace(int dialogId, QPoint framePosition);
std::optional<QPoint> RememberedWindowPlace(int dialogId);

// The margins the window manager adds around `window`: known once it has been shown, else a typical title bar
// and border.
QMargins FrameMarginsOf(const QWidget& window);

// Where a frame of `frameSize` goes inside `area` near `wanted`: moved in as little as it takes, its top-left
// corner (the title bar) inside first when the frame is larger than the area.
QPoint KeepInside(QPoint wanted, QSize frameSize, const QRect& area);

// A place for a frame of `frameSize` beside `owner` (a frame too) inside `area`: on its right when there is room,
// else on its left, else on the side with the more room.
QPoint BesideOwner(const QRect& owner, QSize frameSize, const QRect& area);

}  // namespace kelvane::ui::qtback
