#include "ui/qt/ReportListControl.h"

#include "ui/qt/Colors.h"
#include "ui/qt/ListCells.h"

#include <QHeaderView>
#include <QTableWidget>
#include <algorithm>

namespace kelvane::ui::qtback {
namespace {

constexpr QSize kDefaultImageSize{16, 16};

Qt::Alignment ToQtAlignment(ColumnAlign align) {
    switch (align) {
    case ColumnAlign::Centre: return Qt::AlignHCenter | Qt::AlignVCenter;
    case ColumnAlign::Right: return Qt::AlignRight | Qt::AlignVCenter;
    case ColumnAlign::Left: break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

ReportListControl::ReportListControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink)
    : Control(source, new QTableWidget(parent), sink), table_(static_cast<QTableWidget*>(Widget())) {
    if (!HasStyle(kBorder)) table_->setFrameStyle(QFrame::NoFrame);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setVisible(!HasStyle(kNoHeader));
    table_->horizontalHeader()->setMinimumSectionSize(0);
    table_->horizontalHeader()->setHighlightSections(false);
    table_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table_->verticalHeader()->setMinimumSectionSize(1);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->setShowGrid(HasStyle(kGridLines));
    table_->setWordWrap(false);
    table_->setCornerButtonEnabled(false);
    table_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(HasStyle(kSingleSelection) ? QAbstractItemView::SingleSelection
                                                        : QAbstractItemView::ExtendedSelection);
    table_->setIconSize(kDefaultImageSize);
    UpdateRowHeight();
    QObject::connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, Context(),
                     [this](const QItemSelection& selected, const QItemSelection& deselected) {
                         for (const int row : ChangedRows(selected, deselected)) Report(Event::RowStateChanged, row);
                     });
    clicks_ = std::make_unique<MouseClicks>(
        *table_->viewport(), [this](QPoint at) { return HitTest(at); },
        [this](Event event, int row, int column) { Report(event, row, column); });
    // Its cells are worked as a double-click works them.
    if (HasStyle(kNotify)) {
        keys_ = std::make_unique<RowKeys>(*table_,
                                          [this](int row, int column) { Report(Event::DoubleClicked, row, column); });
    }
}

void ReportListControl::SetColumns(const std::vector<ListColumn>& columns) {
    table_->setColumnCount(static_cast<int>(columns.size()));
    columnAlignments_.clear();
    for (int column = 0; column < table_->columnCount(); ++column) {
        const ListColumn& source = columns[static_cast<std::size_t>(column)];
        auto* header = new QTableWidgetItem(QString::fromStdString(source.caption));
        columnAlignments_.push_back(ToQtAlignment(source.align));
        header->setTextAlignment(columnAlignments_.back());
        table_->setHorizontalHeaderItem(column, header);
        table_->setColumnWidth(column, source.width);
        for (int row = 0; row < table_->rowCount(); ++row) {
            if (QTableWidgetItem* item = table_->item(row, column)) item->setTextAlignment(columnAlignments_.back());
        }
    }
}

Qt::Alignment ReportListControl::AlignmentOf(int column) const {
    const auto index = static_cast<std::size_t>(column);
    return index < columnAlignments_.size() ? columnAlignments_[index] : Qt::AlignLeft | Qt::AlignVCenter;
}

void ReportListControl::SetImageList(const ImageList& images) {
    images_ = RenderImages(images);
    table_->setIconSize(QSize(images.size.width, images.size.height));
    for (int row = 0; row < table_->rowCount(); ++row) {
        for (int column = 0; column < table_->columnCount(); ++column) {
            if (QTableWidgetItem* item = table_->item(row, column)) ShowImage(*item);
        }
    }
    UpdateRowHeight();
}

void ReportListControl::SetIconSpacing(Size /*pixels*/) {
    // Spacing places large icons; report rows are laid out by their height.
}

void ReportListControl::InsertRow(int index) {
    const int at = std::clamp(index, 0, table_->rowCount());
    table_->insertRow(at);
    rowColors_.insert(rowColors_.begin() + at, std::nullopt);
}

void ReportListControl::DeleteRow(int index) {
    if (!CheckRow(Id(), index, table_->rowCount(), "DeleteRow")) return;
    table_->removeRow(index);
    rowColors_.erase(rowColors_.begin() + index);
}

int ReportListControl::RowCount() const { return table_->rowCount(); }

void ReportListControl::SetCell(int row, int column, const ListCell& cell) {
    if (!CheckRow(Id(), row, table_->rowCount(), "SetCell") || !CheckColumn(Id(), column, "SetCell")) return;
    QTableWidgetItem& item = CellItem(row, column);
    item.setData(kCellTextRole, QString::fromStdString(cell.text));
    item.setData(kCellImageRole, cell.image);
    item.setText(DisplayText(cell.text));
    ShowImage(item);
}

void ReportListControl::SetCellToolTip(int row, int column, const std::string& text) {
    if (!CheckRow(Id(), row, table_->rowCount(), "SetCellToolTip") || !CheckColumn(Id(), column, "SetCellToolTip")) {
        return;
    }
    CellItem(row, column).setToolTip(QString::fromStdString(text));
}

ListCell ReportListControl::Cell(int row, int column) const {
    if (!CheckRow(Id(), row, table_->rowCount(), "Cell")) return {};
    const QTableWidgetItem* item = table_->item(row, column);
    if (item == nullptr) return {};
    return {item->data(kCellTextRole).toString().toStdString(), item->data(kCellImageRole).toInt()};
}

void ReportListControl::SetRowTextColor(int row, Color color) {
    if (!CheckRow(Id(), row, table_->rowCount(), "SetRowTextColor")) return;
    const QColor textColor = ToQColor(color);
    rowColors_[static_cast<std::size_t>(row)] = textColor;
    for (int column = 0; column < table_->columnCount(); ++column) {
        if (QTableWidgetItem* item = table_->item(row, column)) item->setForeground(textColor);
    }
}

void ReportListControl::ScrollToRow(int row) {
    if (CheckRow(Id(), row, table_->rowCount(), "ScrollToRow")) table_->scrollTo(table_->model()->index(row, 0));
}

void ReportListControl::SetRowSelected(int row, bool selected) {
    if (!CheckRow(Id(), row, table_->rowCount(), "SetRowSelected")) return;
    const auto command =
        (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) | QItemSelectionModel::Rows;
    table_->selectionModel()->select(table_->model()->index(row, 0), command);
}

std::vector<int> ReportListControl::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedIndexes()) {
        if (std::find(rows.begin(), rows.end(), index.row()) == rows.end()) rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

Rect ReportListControl::CellBounds(int row, int column) const {
    if (!CheckRow(Id(), row, table_->rowCount(), "CellBounds")) return {};
    if (column < 0 || column >= table_->columnCount()) return {};
    // The whole cell, its grid line included, measured from the list's own corner rather than its viewport's.
    const QPoint corner = table_->viewport()->pos();
    return {corner.x() + table_->columnViewportPosition(column), corner.y() + table_->rowViewportPosition(row),
            table_->columnWidth(column), table_->rowHeight(row)};
}

void ReportListControl::SetFont(const QFont& font) {
    Control::SetFont(font);
    UpdateRowHeight();
}

std::pair<int, int> ReportListControl::HitTest(QPoint at) const {
    const int row = table_->rowAt(at.y());
    return {row, row >= 0 ? table_->columnAt(at.x()) : -1};
}

QTableWidgetItem& ReportListControl::CellItem(int row, int column) {
    if (column >= table_->columnCount()) {
        // A cell under no column is kept for the program, out of sight.
        const int first = table_->columnCount();
        table_->setColumnCount(column + 1);
        for (int added = first; added <= column; ++added) table_->setColumnWidth(added, 0);
    }
    QTableWidgetItem* item = table_->item(row, column);
    if (item == nullptr) {
        item = new QTableWidgetItem;
        item->setData(kCellImageRole, kNoImage);
        item->setTextAlignment(AlignmentOf(column));
        if (const auto& color = rowColors_[static_cast<std::size_t>(row)]) item->setForeground(*color);
        table_->setItem(row, column, item);
    }
    return *item;
}

void ReportListControl::ShowImage(QTableWidgetItem& item) const {
    item.setIcon(ImageIcon(images_, item.data(kCellImageRole).toInt()));
}

void ReportListControl::UpdateRowHeight() {
    // A report row is as tall as its text or its image, whichever is taller, and one pixel more.
    const int height = std::max(table_->fontMetrics().height(), table_->iconSize().height()) + 1;
    table_->verticalHeader()->setDefaultSectionSize(height);
}

}  // namespace kelvane::ui::qtback
