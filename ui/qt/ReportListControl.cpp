#include "ui/qt/ReportListControl.h"

#include "ui/qt/Colors.h"
#include "ui/qt/ListCells.h"
#include "ui/qt/ProgramLines.h"

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

// Its cells are worked from the keyboard as a double-click works them.
ReportListControl::ReportListControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink)
    : ListViewControl(
          source, new QTableWidget(parent), sink, [this](QPoint at) { return HitTest(at); }, Event::DoubleClicked),
      table_(static_cast<QTableWidget*>(Widget())) {
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
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setIconSize(kDefaultImageSize);
    Relayout();
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

void ReportListControl::SetCell(int row, int column, const ListCell& cell) {
    if (!HasRow(row, "SetCell") || !CheckColumn(Id(), column, "SetCell")) return;
    QTableWidgetItem& item = CellItem(row, column);
    item.setData(kCellTextRole, QString::fromStdString(cell.text));
    item.setData(kCellImageRole, cell.image);
    item.setText(FromProgramLines(cell.text));
    ShowImage(table_->model()->index(row, column));
}

void ReportListControl::SetCellToolTip(int row, int column, const std::string& text) {
    if (!HasRow(row, "SetCellToolTip") || !CheckColumn(Id(), column, "SetCellToolTip")) return;
    CellItem(row, column).setToolTip(QString::fromStdString(text));
}

ListCell ReportListControl::Cell(int row, int column) const {
    if (!HasRow(row, "Cell")) return {};
    const QTableWidgetItem* item = table_->item(row, column);
    if (item == nullptr) return {};
    return {item->data(kCellTextRole).toString().toStdString(), item->data(kCellImageRole).toInt()};
}

void ReportListControl::SetRowTextColor(int row, Color color) {
    if (!HasRow(row, "SetRowTextColor")) return;
    const QColor textColor = ToQColor(color);
    // The row's hidden header keeps its colour for the cells set later, and moves with the row.
    auto* header = new QTableWidgetItem;
    header->setForeground(textColor);
    table_->setVerticalHeaderItem(row, header);
    for (int column = 0; column < table_->columnCount(); ++column) {
        if (QTableWidgetItem* item = table_->item(row, column)) item->setForeground(textColor);
    }
}

void ReportListControl::ScrollToRow(int row) {
    if (HasRow(row, "ScrollToRow")) table_->scrollTo(table_->model()->index(row, 0));
}

Rect ReportListControl::CellBounds(int row, int column) const {
    if (!HasRow(row, "CellBounds")) return {};
    if (column < 0 || column >= table_->columnCount()) return {};
    // The whole cell, its grid line included, measured from the list's own corner rather than its viewport's.
    const QPoint corner = table_->viewport()->pos();
    return {corner.x() + table_->columnViewportPosition(column), corner.y() + table_->rowViewportPosition(row),
            table_->columnWidth(column), table_->rowHeight(row)};
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
        if (const QTableWidgetItem* header = table_->verticalHeaderItem(row)) item->setForeground(header->foreground());
        table_->setItem(row, column, item);
    }
    return *item;
}

void ReportListControl::Relayout() {
    // A report row is as tall as its text or its image, whichever is taller, and one pixel more.
    const int height = std::max(table_->fontMetrics().height(), table_->iconSize().height()) + 1;
    table_->verticalHeader()->setDefaultSectionSize(height);
}

}  // namespace kelvane::ui::qtback
