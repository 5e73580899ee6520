#pragma once

#include "ui/qt/Capabilities.h"
#include "ui/qt/Control.h"
#include "ui/qt/MouseClicks.h"
#include "ui/qt/RowKeys.h"

#include <QPixmap>
#include <vector>

class QListWidget;
class QListWidgetItem;

namespace kelvane::ui::qtback {

// A list view in large-icon mode: each row is an image with its label under it, laid out on a grid set by the
// icon spacing. Only column 0 is shown; further columns are kept for the program.
class IconListControl final : public Control, public RowList {
public:
    IconListControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink);

    void SetColumns(const std::vector<ListColumn>& columns) override;
    void SetImageList(const ImageList& images) override;
    void SetIconSpacing(Size pixels) override;
    void InsertRow(int index) override;
    void DeleteRow(int index) override;
    int RowCount() const override;
    void SetCell(int row, int column, const ListCell& cell) override;
    ListCell Cell(int row, int column) const override;
    void SetRowTextColor(int row, Color color) override;
    void SetRowSelected(int row, bool selected) override;
    void ScrollToRow(int row) override;
    std::vector<int> SelectedRows() const override;
    Rect CellBounds(int row, int column) const override;
    void SetFont(const QFont& font) override;

private:
    QListWidgetItem* RowItem(int row, const char* operation) const;
    void UpdateGrid();
    void SnapToWholeRows(int value);
    void ShowImage(QListWidgetItem& item) const;

    QListWidget* list_;
    std::unique_ptr<MouseClicks> clicks_;
    std::unique_ptr<RowKeys> keys_;
    std::vector<QPixmap> images_;
    Size spacing_;
    int templateHeight_;
};

}  // namespace kelvane::ui::qtback
