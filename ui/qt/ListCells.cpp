#include "ui/qt/ListCells.h"

#include "ui/qt/Artwork.h"

#include <QtGlobal>
#include <algorithm>

namespace kelvane::ui::qtback {

std::vector<QPixmap> RenderImages(const ImageList& images) {
    std::vector<QPixmap> rendered;
    rendered.reserve(images.bitmaps.size());
    for (const int bitmap : images.bitmaps) {
        rendered.push_back(RenderBitmap(bitmap, QSize(images.size.width, images.size.height)));
    }
    return rendered;
}

QIcon ImageIcon(const std::vector<QPixmap>& images, int index) {
    if (index < 0 || index >= static_cast<int>(images.size())) return {};
    const QPixmap& image = images[static_cast<std::size_t>(index)];
    return image.isNull() ? QIcon() : QIcon(image);
}

namespace {

void AppendRows(const QItemSelection& selection, std::vector<int>& rows) {
    const auto first = static_cast<std::ptrdiff_t>(rows.size());
    for (const QModelIndex& index : selection.indexes()) {
        if (std::find(rows.begin() + first, rows.end(), index.row()) == rows.end()) rows.push_back(index.row());
    }
    std::sort(rows.begin() + first, rows.end());
}

}  // namespace

std::vector<int> ChangedRows(const QItemSelection& selected, const QItemSelection& deselected) {
    std::vector<int> rows;
    AppendRows(deselected, rows);
    AppendRows(selected, rows);
    return rows;
}

std::pair<int, int> RowHit(const QAbstractItemView& list, QPoint at) {
    const int row = list.indexAt(at).row();
    return {row, row >= 0 ? 0 : -1};
}

bool CheckRow(int control, int row, int rowCount, const char* operation) {
    if (row >= 0 && row < rowCount) return true;
    qWarning("Kelvane list %d has no row %d (%s ignored)", control, row, operation);
    return false;
}

bool CheckColumn(int control, int column, const char* operation) {
    if (column >= 0) return true;
    qWarning("Kelvane list %d has no column %d (%s ignored)", control, column, operation);
    return false;
}

}  // namespace kelvane::ui::qtback
