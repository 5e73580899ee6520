#pragma once

#include "ui/qt/ListViewControl.h"

class QListWidget;
class QListWidgetItem;

namespace kelvane::ui::qtback {

// A list view in large-icon mode: each row is an image with its label under it, laid out on a grid set by the
// icon spacing. Only column 0 is shown; further columns are kept for the program.
class IconListControl final : public ListViewControl {
public:
    IconListControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink);

    void SetIconSpacing(Size pixels) override;
    void SetCell(int row, int column, const ListCell& cell) override;
    ListCell Cell(int row, int column) const override;
    void SetRowTextColor(int row, Color color) override;
    void ScrollToRow(int row) override;
    Rect CellBounds(int row, int column) const override;

private:
    void Relayout() override;
    QListWidgetItem* RowItem(int row, const char* operation) const;
    void SnapToWholeRows(int value);

    QListWidget* list_;
    Size spacing_;
    int templateHeight_;
};

}  // namespace kelvane::ui::qtback
