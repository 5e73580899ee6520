#pragma once

#include "ui/Dialog.h"

#include <QIcon>
#include <QAbstractItemView>
#include <QItemSelection>
#include <QPixmap>
#include <QString>
#include <utility>
#include <vector>

// What the two kinds of list view share: how a cell keeps the program's text and image index, and the images.
namespace kelvane::ui::qtback {

constexpr int kCellTextRole = Qt::UserRole;
constexpr int kCellImageRole = Qt::UserRole + 1;
// A large-icon row keeps the cells of further columns in further roles.
constexpr int CellTextRole(int column) { return kCellTextRole + 2 * column; }
constexpr int CellImageRole(int column) { return kCellImageRole + 2 * column; }

std::vector<QPixmap> RenderImages(const ImageList& images);
QIcon ImageIcon(const std::vector<QPixmap>& images, int index);
// The image index a row or a cell keeps; kNoImage where none was set.
inline int KeptImage(const QVariant& kept) { return kept.isValid() ? kept.toInt() : kNoImage; }

// The rows whose selection changed: those deselected first, then those selected, each once.
std::vector<int> ChangedRows(const QItemSelection& selected, const QItemSelection& deselected);

// The row under a point of a list of one column, in column 0; -1 for both where there is none.
std::pair<int, int> RowHit(const QAbstractItemView& list, QPoint at);

// Warns about, and refuses, a row or column outside the list.
bool CheckRow(int control, int row, int rowCount, const char* operation);
bool CheckColumn(int control, int column, const char* operation);

}  // namespace kelvane::ui::qtback
