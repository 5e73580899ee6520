#include "ui/qt/FileColumns.h"

#include <QFileSystemModel>
#include <QLocale>

namespace kelvane::ui::qtback {
namespace {

constexpr int kSizeColumn = 1;
constexpr int kDateColumn = 3;

}  // namespace

QVariant FileColumns::data(const QModelIndex& index, int role) const {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    const bool ours = index.column() == kSizeColumn || index.column() == kDateColumn;
    if (role != Qt::DisplayRole || files == nullptr || !ours) return QIdentityProxyModel::data(index, role);
    const QFileInfo file = files->fileInfo(mapToSource(index));
    if (index.column() == kDateColumn) return QLocale().toString(file.lastModified(), QLocale::ShortFormat);
    return file.isDir() ? QString() : QLocale().formattedDataSize(file.size());
}

}  // namespace kelvane::ui::qtback
