#include "ui/qt/WindowPlaces.h"

#include <QSettings>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace kelvane::ui::qtback {
namespace {

// Before a window has been shown its window manager's frame is unknown; a common title bar and border stand in.
constexpr QMargins kTypicalFrame{4, 30, 4, 4};

QString& PlacesFile() {
    static QString file;
    return file;
}

QString KeyOf(int dialogId) { return QStringLiteral("windows/dialog-%1").arg(dialogId); }

}  // namespace

void KeepWindowPlacesIn(const QString& iniFile) { PlacesFile() = iniFile; }

void RememberWindowPlace(int dialogId, QPoint framePosition) {
    if (PlacesFile().isEmpty()) return;
    QSettings settings(PlacesFile(), QSettings::IniFormat);
    settings.setValue(KeyOf(dialogId), framePosition);
}

std::optional<QPoint> RememberedWindowPlace(int dialogId) {
    if (PlacesFile().isEmpty()) return std::nullopt;
    const QSettings settings(PlacesFile(), QSettings::IniFormat);
    const QVariant place = settings.value(KeyOf(dialogId));
    if (!place.canConvert<QPoint>()) return std::nullopt;
    return place.toPoint();
}

QMargins FrameMarginsOf(const QWidget& window) {
    const QWindow* handle = window.windowHandle();
    if (handle == nullptr || !window.testAttribute(Qt::WA_WState_Created) || !window.isVisible()) return kTypicalFrame;
    return handle->frameMargins();
}

QPoint KeepInside(QPoint wanted, QSize frameSize, const QRect& area) {
    const int x = std::max(area.left(), std::min(wanted.x(), area.right() + 1 - frameSize.width()));
    const int y = std::max(area.top(), std::min(wanted.y(), area.bottom() + 1 - frameSize.height()));
    return {x, y};
}

QPoint BesideOwner(const QRect& owner, QSize frameSize, const QRect& area) {
    const int roomRight = area.right() - owner.right();
    const int roomLeft = owner.left() - area.left();
    const bool right = roomRight >= frameSize.width() || (roomLeft < frameSize.width() && roomRight >= roomLeft);
    const QPoint wanted =
        right ? QPoint(owner.right() + 1, owner.top()) : QPoint(owner.left() - frameSize.width(), owner.top());
    return KeepInside(wanted, frameSize, area);
}

}  // namespace kelvane::ui::qtback
