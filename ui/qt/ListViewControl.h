#pragma once

#include "ui/qt/Capabilities.h"
#include "ui/qt/Control.h"
#include "ui/qt/ListCells.h"
#include "ui/qt/MouseClicks.h"
#include "ui/qt/RowKeys.h"

#include <QPixmap>
#include <memory>
#include <vector>

class QAbstractItemView;
class QModelIndex;

namespace kelvane::ui::qtback {

// What a list view is in either mode: rows that the program inserts, deletes and selects, whose cells show
// images from one image list. Changes of the row selection and clicks are reported alike; with kNotify, Enter
// or Space on the current row reports `keyEvent` for it.
class ListViewControl : public Control, public RowList {
public:
    void SetImageList(const ImageList& images) final;
    void InsertRow(int index) final;
    void DeleteRow(int index) final;
    int RowCount() const final;
    void SetRowSelected(int row, bool selected) final;
    std::vector<int> SelectedRows() const final;
    void SetFont(const QFont& font) final;

protected:
    ListViewControl(const ControlTemplate& source, QAbstractItemView* view, ControlSink& sink,
                    MouseClicks::HitTest hitTest, Event keyEvent);

    // Warns about, and refuses, a row outside the list.
    bool HasRow(int row, const char* operation) const { return CheckRow(Id(), row, RowCount(), operation); }

    // Shows on a cell (a large icon's row) the image whose index it keeps.
    void ShowImage(const QModelIndex& cell) const;

private:
    // The rows are laid out again for a new size of the images or of the font.
    virtual void Relayout() = 0;

    QAbstractItemView* view_;
    std::unique_ptr<MouseClicks> clicks_;
    std::unique_ptr<RowKeys> keys_;
    std::vector<QPixmap> images_;
};

}  // namespace kelvane::ui::qtback
