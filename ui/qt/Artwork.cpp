#include "ui/qt/Artwork.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmapCache>
#include <QSet>
#include <QSvgRenderer>

namespace kelvane::ui::qtback {
namespace {

constexpr int kLargestSmallIcon = 24;

QString BitmapPath(int resource) { return QStringLiteral(":/art/bitmap-%1.svg").arg(resource); }
QString IconPath(int resource) { return QStringLiteral(":/art/icon-%1.svg").arg(resource); }
QString SmallIconPath(int resource) { return QStringLiteral(":/art/icon-%1-16.svg").arg(resource); }

void WarnMissingOnce(const QString& path) {
    static QSet<QString> warned;
    if (warned.contains(path)) return;
    warned.insert(path);
    qWarning("Kelvane artwork %s is missing or not a valid SVG file; nothing is shown for it", qPrintable(path));
}

QRectF FitInside(QSizeF picture, QSize box) {
    if (picture.isEmpty()) return QRectF(QPointF(0, 0), QSizeF(box));
    const QSizeF fitted = picture.scaled(QSizeF(box), Qt::KeepAspectRatio);
    return QRectF(QPointF((box.width() - fitted.width()) / 2, (box.height() - fitted.height()) / 2), fitted);
}

QPixmap Render(const QString& path, QSize size) {
    if (size.isEmpty()) return {};
    // Drawn for the sharpest screen there is, so that nothing is blurred on a high-density display.
    const qreal ratio = qApp->devicePixelRatio();
    const QString key = QStringLiteral("kelvane:%1:%2x%3@%4").arg(path).arg(size.width()).arg(size.height()).arg(ratio);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap)) return pixmap;
    if (!QFile::exists(path)) {
        WarnMissingOnce(path);
        return {};
    }
    QSvgRenderer renderer(path);
    if (!renderer.isValid()) {
        WarnMissingOnce(path);
        return {};
    }
    pixmap = QPixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter, FitInside(renderer.viewBoxF().size(), size));
    painter.end();
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

}  // namespace

QPixmap RenderBitmap(int resource, QSize size) { return Render(BitmapPath(resource), size); }

QPixmap RenderIcon(int resource, QSize size) {
    const bool small = size.width() <= kLargestSmallIcon && size.height() <= kLargestSmallIcon;
    if (small && QFile::exists(SmallIconPath(resource))) return Render(SmallIconPath(resource), size);
    return Render(IconPath(resource), size);
}

QIcon LoadIcon(int resource) {
    QIcon icon;
    for (const int side : {16, 20, 24, 32, 48, 64, 128, 256}) {
        const QPixmap pixmap = RenderIcon(resource, QSize(side, side));
        if (pixmap.isNull()) return {};
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace kelvane::ui::qtback
