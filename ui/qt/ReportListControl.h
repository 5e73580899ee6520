#pragma once

#include "ui/qt/Capabilities.h"
#include "ui/qt/Control.h"
#include "ui/qt/MouseClicks.h"
#include "ui/qt/RowKeys.h"

#include <QColor>
#include <QPixmap>
#include <optional>
#include <vector>

class QTableWidget;
class QTableWidgetItem;

namespace kelvane::ui::qtback {

// A list view in report mode: rows of cells under columns of given pixel widths, each cell with a text and an
// image from the list's image list, each row in its own text colour. Rows are selected whole.
class ReportListControl final : public Control, public RowList {
public:
    ReportListControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink);

    void SetColumns(const std::vector<ListColumn>& columns) override;
    void SetImageList(const ImageList& images) override;
    void SetIconSpacing(Size pixels) override;
    void InsertRow(int index) override;
    void DeleteRow(int index) override;
    int RowCount() const override;
    void SetCell(int row, int column, const ListCell& cell) override;
    ListCell Cell(int row, int column) const override;
    void SetCellToolTip(int row, int column, const std::string& text) override;
    void SetRowTextColor(int row, Color color) override;
    void SetRowSelected(int row, bool selected) override;
    void ScrollToRow(int row) override;
    std::vector<int> SelectedRows() const override;
    Rect CellBounds(int row, int column) const override;
    void SetFont(const QFont& font) override;

private:
    std::pair<int, int> HitTest(QPoint at) const;
    QTableWidgetItem& CellItem(int row, int column);
    void ShowImage(QTableWidgetItem& item) const;
    Qt::Alignment AlignmentOf(int column) const;
    void UpdateRowHeight();

    QTableWidget* table_;
    std::unique_ptr<MouseClicks> clicks_;
    std::unique_ptr<RowKeys> keys_;
    std::vector<QPixmap> images_;
    std::vector<std::optional<QColor>> rowColors_;
    std::vector<Qt::Alignment> columnAlignments_;
};

}  // namespace kelvane::ui::qtback
