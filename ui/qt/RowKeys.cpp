#include "ui/qt/RowKeys.h"

#include <QAbstractItemView>
#include <QKeyEvent>

namespace kelvane::ui::qtback {

RowKeys::RowKeys(QAbstractItemView& list, std::function<void(int row, int column)> activate)
    : list_(list), activate_(std::move(activate)) {
    list_.setProperty(kMarker, true);
    list_.installEventFilter(this);
}

bool RowKeys::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &list_ || event->type() != QEvent::KeyPress) return false;
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if ((key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter && key.key() != Qt::Key_Space) return false;
    const QModelIndex current = list_.currentIndex();
    if (current.row() < 0) return false;
    activate_(current.row(), current.column());
    return true;
}

}  // namespace kelvane::ui::qtback
