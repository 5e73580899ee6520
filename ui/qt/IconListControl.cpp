#include "ui/qt/IconListControl.h"

#include "ui/qt/Colors.h"
#include "ui/qt/ListCells.h"
#include "ui/qt/ProgramLines.h"

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
    : ListViewControl(
          source, new QListWidget(parent), sink, [this](QPoint at) { return RowHit(*list_, at); }, Event::Clicked),
      list_(static_cast<QListWidget*>(Widget())),
      templateHeight_(list_->height()) {
    list_->setViewMode(QListView::IconMode);
    list_->setMovement(QListView::Static);
    list_->setResizeMode(QListView::Adjust);
    list_->setFlow(QListView::LeftToRight);
    list_->setWrapping(true);
    list_->setWordWrap(true);
    list_->setTextElideMode(Qt::ElideNone);
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
    Relayout();
}

void IconListControl::SetIconSpacing(Size pixels) {
    spacing_ = pixels;
    Relayout();
}

void IconListControl::SetCell(int row, int column, const ListCell& cell) {
    QListWidgetItem* item = RowItem(row, "SetCell");
    if (item == nullptr || !CheckColumn(Id(), column, "SetCell")) return;
    item->setData(CellTextRole(column), QString::fromStdString(cell.text));
    item->setData(CellImageRole(column), cell.image);
    if (column != 0) return;
    item->setText(FromProgramLines(cell.text));
    ShowImage(list_->model()->index(row, 0));
}

ListCell IconListControl::Cell(int row, int column) const {
    const QListWidgetItem* item = RowItem(row, "Cell");
    if (item == nullptr || column < 0) return {};
    return {item->data(CellTextRole(column)).toString().toStdString(), KeptImage(item->data(CellImageRole(column)))};
}

void IconListControl::SetRowTextColor(int row, Color color) {
    if (QListWidgetItem* item = RowItem(row, "SetRowTextColor")) item->setForeground(ToQColor(color));
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

Rect IconListControl::CellBounds(int row, int /*column*/) const {
    const QListWidgetItem* item = RowItem(row, "CellBounds");
    if (item == nullptr) return {};
    const QRect bounds = list_->visualItemRect(item).translated(list_->viewport()->pos());
    return {bounds.x(), bounds.y(), bounds.width(), bounds.height()};
}

QListWidgetItem* IconListControl::RowItem(int row, const char* operation) const {
    return HasRow(row, operation) ? list_->item(row) : nullptr;
}

void IconListControl::Relayout() {
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

}  // namespace kelvane::ui::qtback
