#pragma once

#include "ui/qt/ListViewControl.h"

class QTableWidget;
class QTableWidgetItem;

namespace kelvane::ui::qtback {

// A list view in report mode: rows of cells under columns of given pixel widths, each cell with a text and an
// image from the list's image list, each row in its own text colour. Rows are selected whole.
class ReportListControl final : public ListViewControl {
public:
    ReportListControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink);

    void SetColumns(const std::vector<ListColumn>& columns) override;
    void SetCell(int row, int column, const ListCell& cell) override;
    ListCell Cell(int row, int column) const override;
    void SetCellToolTip(int row, int column, const std::string& text) override;
    void SetRowTextColor(int row, Color color) override;
    void ScrollToRow(int row) override;
    Rect CellBounds(int row, int column) const override;

private:
    void Relayout() override;
    std::pair<int, int> HitTest(QPoint at) const;
    QTableWidgetItem& CellItem(int row, int column);
    Qt::Alignment AlignmentOf(int column) const;

    QTableWidget* table_;
    std::vector<Qt::Alignment> columnAlignments_;
};

}  // namespace kelvane::ui::qtback
