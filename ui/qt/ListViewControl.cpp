#include "ui/qt/ListViewControl.h"

#include <QAbstractItemView>
#include <algorithm>

namespace kelvane::ui::qtback {

ListViewControl::ListViewControl(const ControlTemplate& source, QAbstractItemView* view, ControlSink& sink,
                                 MouseClicks::HitTest hitTest, Event keyEvent)
    : Control(source, view, sink), view_(view) {
    if (!HasStyle(kBorder)) view_->setFrameStyle(QFrame::NoFrame);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setSelectionMode(HasStyle(kSingleSelection) ? QAbstractItemView::SingleSelection
                                                       : QAbstractItemView::ExtendedSelection);
    QObject::connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, Context(),
                     [this](const QItemSelection& selected, const QItemSelection& deselected) {
                         for (const int row : ChangedRows(selected, deselected)) Report(Event::RowStateChanged, row);
                     });
    clicks_ = std::make_unique<MouseClicks>(*view_->viewport(), std::move(hitTest),
                                            [this](Event event, int row, int column) { Report(event, row, column); });
    if (HasStyle(kNotify)) {
        keys_ =
            std::make_unique<RowKeys>(*view_, [this, keyEvent](int row, int column) { Report(keyEvent, row, column); });
    }
}

void ListViewControl::SetImageList(const ImageList& images) {
    images_ = RenderImages(images);
    view_->setIconSize(QSize(images.size.width, images.size.height));
    const QAbstractItemModel& model = *view_->model();
    for (int row = 0; row < model.rowCount(); ++row) {
        for (int column = 0; column < model.columnCount(); ++column) {
            // A cell the program never set has no image to show.
            const QModelIndex cell = model.index(row, column);
            if (cell.data(kCellImageRole).isValid()) ShowImage(cell);
        }
    }
    Relayout();
}

void ListViewControl::ShowImage(const QModelIndex& cell) const {
    view_->model()->setData(cell, ImageIcon(images_, KeptImage(cell.data(kCellImageRole))), Qt::DecorationRole);
}

void ListViewControl::InsertRow(int index) { view_->model()->insertRow(std::clamp(index, 0, RowCount())); }

void ListViewControl::DeleteRow(int index) {
    if (HasRow(index, "DeleteRow")) view_->model()->removeRow(index);
}

int ListViewControl::RowCount() const { return view_->model()->rowCount(); }

void ListViewControl::SetRowSelected(int row, bool selected) {
    if (!HasRow(row, "SetRowSelected")) return;
    // A list of single selection keeps one row selected: selecting another moves the selection there.
    const auto select = view_->selectionMode() == QAbstractItemView::SingleSelection
                            ? QItemSelectionModel::ClearAndSelect
                            : QItemSelectionModel::Select;
    const auto command = (selected ? select : QItemSelectionModel::Deselect) | QItemSelectionModel::Rows;
    view_->selectionModel()->select(view_->model()->index(row, 0), command);
}

std::vector<int> ListViewControl::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : view_->selectionModel()->selectedIndexes()) {
        if (std::find(rows.begin(), rows.end(), index.row()) == rows.end()) rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ListViewControl::SetFont(const QFont& font) {
    Control::SetFont(font);
    Relayout();
}

}  // namespace kelvane::ui::qtback
