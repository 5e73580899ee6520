#include "ui/qt/IconListControl.h"

#include "ui/qt/Colors.h"
#include "ui/qt/ListCells.h"

#include <QListWidget>
#include <QScrollBar>
#include <algorithm>

namespace kelvane::ui::qtback {
namespace {

constexpr QSize kDefaultImageSize{32, 32};
constexpr int kLabelLines = 2;
constexpr int kItemPadding = 4;  // around the image and the label, inside a grid cell
constexpr QColor kScrollHandleColor{168, 174, 184};

}  // namespace

IconListControl::IconListControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink)
    : Control(source, new QListWidget(parent), sink),
      list_(static_cast<QListWidget*>(Widget())),
      templateHeight_(list_->height()) {
    if (!HasStyle(kBorder)) list_->setFrameStyle(QFrame::NoFrame);
    list_->setViewMode(QListView::IconMode);
    list_->setMovement(QListView::Static);
    list_->setResizeMode(QListView::Adjust);
    list_->setFlow(QListView::LeftToRight);
    list_->setWrapping(true);
    list_->setWordWrap(true);
    list_->setTextElideMode(Qt::ElideNone);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSelectionMode(HasStyle(kSingleSelection) ? QAbstractItemView::SingleSelection
                                                       : QAbstractItemView::ExtendedSelection);
    list_->setIconSize(kDefaultImageSize);
    // A list that scrolls shows its scroll bar all the time, so that the operator can tell more rows follow.
    if (HasStyle(kVerticalScroll)) {
        list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        // Its handle stands out from the list's white, where the style would draw it nearly white as well.
        QPalette palette = list_->verticalScrollBar()->palette();
        palette.setColor(QPalette::Button, kScrollHandleColor);
        list_->verticalScrollBar()->setPalette(palette);
    }
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QObject::connect(list_->verticalScrollBar(), &QScrollBar::valueChanged, Context(),
                     [this](int value) { SnapToWholeRows(value); });
    UpdateGrid();
    QObject::connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, Context(),
                     [this](const QItemSelection& selected, const QItemSelection& deselected) {
                         for (const int row : ChangedRows(selected, deselected)) Report(Event::RowStateChanged, row);
                     });
    const auto hitTest = [this](QPoint at) {
        const int row = list_->indexAt(at).row();
        return std::pair{row, row >= 0 ? 0 : -1};
    };
    clicks_ = std::make_unique<MouseClicks>(*list_->viewport(), hitTest,
                                            [this](Event event, int row, int column) { Report(event, row, column); });
    if (HasStyle(kNotify))
        keys_ = std::make_unique<RowKeys>(*list_, [this](int row, int) { Report(Event::Clicked, row, 0); });
}

void IconListControl::SetColumns(const std::vector<ListColumn>& /*columns*/) {
    // Large icons show no columns; the cells of any column are kept all the same.
}

void IconListControl::SetImageList(const ImageList& images) {
    images_ = RenderImages(images);
    list_->setIconSize(QSize(images.size.width, images.size.height));
    for (int row = 0; row < list_->count(); ++row) ShowImage(*list_->item(row));
    UpdateGrid();
}

void IconListControl::SetIconSpacing(Size pixels) {
    spacing_ = pixels;
    UpdateGrid();
}

void IconListControl::InsertRow(int index) {
    auto* item = new QListWidgetItem;
    item->setData(kCellImageRole, kNoImage);
    list_->insertItem(std::clamp(index, 0, list_->count()), item);
}

void IconListControl::DeleteRow(int index) {
    if (CheckRow(Id(), index, list_->count(), "DeleteRow")) delete list_->takeItem(index);
}

int IconListControl::RowCount() const { return list_->count(); }

void IconListControl::SetCell(int row, int column, const ListCell& cell) {
    QListWidgetItem* item = RowItem(row, "SetCell");
    if (item == nullptr || !CheckColumn(Id(), column, "SetCell")) return;
    item->setData(CellTextRole(column), QString::fromStdString(cell.text));
    item->setData(CellImageRole(column), cell.image);
    if (column != 0) return;
    item->setText(DisplayText(cell.text));
    ShowImage(*item);
}

ListCell IconListControl::Cell(int row, int column) const {
    const QListWidgetItem* item = RowItem(row, "Cell");
    if (item == nullptr || column < 0) return {};
    const QVariant image = item->data(CellImageRole(column));
    return {item->data(CellTextRole(column)).toString().toStdString(), image.isValid() ? image.toInt() : kNoImage};
}

void IconListControl::SetRowTextColor(int row, Color color) {
    if (QListWidgetItem* item = RowItem(row, "SetRowTextColor")) item->setForeground(ToQColor(color));
}

void IconListControl::SetRowSelected(int row, bool selected) {
    if (QListWidgetItem* item = RowItem(row, "SetRowSelected")) item->setSelected(selected);
}

void IconListControl::ScrollToRow(int row) {
    if (QListWidgetItem* item = RowItem(row, "ScrollToRow")) list_->scrollToItem(item);
    SnapToWholeRows(list_->verticalScrollBar()->value());
    // Brought into view means whole: a row the snapping left half out goes to the top.
    if (QListWidgetItem* item = RowItem(row, "ScrollToRow")) {
        const QRect shown = list_->visualItemRect(item);
        if (!list_->viewport()->rect().contains(shown)) list_->scrollToItem(item, QAbstractItemView::PositionAtTop);
    }
}

std::vector<int> IconListControl::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : list_->selectionModel()->selectedIndexes()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

Rect IconListControl::CellBounds(int row, int /*column*/) const {
    const QListWidgetItem* item = RowItem(row, "CellBounds");
    if (item == nullptr) return {};
    const QRect bounds = list_->visualItemRect(item).translated(list_->viewport()->pos());
    return {bounds.x(), bounds.y(), bounds.width(), bounds.height()};
}

void IconListControl::SetFont(const QFont& font) {
    Control::SetFont(font);
    UpdateGrid();
}

QListWidgetItem* IconListControl::RowItem(int row, const char* operation) const {
    return CheckRow(Id(), row, list_->count(), operation) ? list_->item(row) : nullptr;
}

void IconListControl::UpdateGrid() {
    // The spacing places the rows; it never packs them so close that images or labels overlap.
    const QSize image = list_->iconSize();
    const int label = kLabelLines * list_->fontMetrics().lineSpacing();
    const int width = std::max(spacing_.width, image.width() + kItemPadding);
    const int least = std::max(spacing_.height, image.height() + label + 2 * kItemPadding);
    // The rows share the list's height, so that it shows whole rows and never half of one; the list gives up
    // the few pixels that no row can use.
    const int frame = 2 * list_->frameWidth();
    const int room = templateHeight_ - frame;
    const int rows = std::max(1, room / least);
    const int height = room >= least ? room / rows : least;
    list_->setGridSize(QSize(width, height));
    if (room >= least) list_->resize(list_->width(), rows * height + frame);
    list_->verticalScrollBar()->setSingleStep(height);
    list_->verticalScrollBar()->setPageStep(std::max(height, room - room % height));
}

void IconListControl::SnapToWholeRows(int value) {
    // Scrolling, by the bar or to bring a row into view, stops where a row begins.
    const int step = list_->gridSize().height();
    if (step <= 0 || value % step == 0) return;
    QScrollBar* bar = list_->verticalScrollBar();
    const int down = value - value % step;
    bar->setValue(std::min(value % step * 2 >= step ? down + step : down, bar->maximum()));
}

void IconListControl::ShowImage(QListWidgetItem& item) const {
    item.setIcon(ImageIcon(images_, item.data(kCellImageRole).toInt()));
}

}  // namespace kelvane::ui::qtback
