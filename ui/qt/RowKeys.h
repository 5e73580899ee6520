#pragma once

#include <QObject>
#include <functional>

class QAbstractItemView;

namespace kelvane::ui::qtback {

// Enter or Space on a list's current row (and cell, where the arrow keys left it) acts as the mouse would on it,
// so that the list can be worked from the keyboard. The list is marked so that the dialog's key routing leaves
// Enter to it.
class RowKeys final : public QObject {
public:
    static constexpr const char* kMarker = "kelvaneRowKeys";

    RowKeys(QAbstractItemView& list, std::function<void(int row, int column)> activate);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractItemView& list_;
    std::function<void(int row, int column)> activate_;
};

}  // namespace kelvane::ui::qtback
