#include "ui/qt/ChoiceControls.h"

#include "ui/qt/ListCells.h"

#include <QComboBox>
#include <QListWidget>

namespace kelvane::ui::qtback {
namespace {

bool InRange(int index, int count) { return index >= 0 && index < count; }

Qt::ScrollBarPolicy ScrollPolicy(bool wanted) { return wanted ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff; }

}  // namespace

ComboBoxControl::ComboBoxControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink)
    : Control(source, new QComboBox(parent), sink), combo_(static_cast<QComboBox*>(Widget())) {
    combo_->resize(combo_->width(), combo_->sizeHint().height());
    for (const std::string& item : source.items) combo_->addItem(QString::fromStdString(item));
    combo_->setCurrentIndex(-1);
    QObject::connect(combo_, &QComboBox::currentIndexChanged, Context(), [this] { Report(Event::SelectionChanged); });
}

void ComboBoxControl::SetText(const std::string& text) {
    combo_->setCurrentIndex(combo_->findText(QString::fromStdString(text)));
}

std::string ComboBoxControl::Text() const { return combo_->currentText().toStdString(); }

void ComboBoxControl::AddItem(const std::string& text) {
    const bool noneChosen = combo_->currentIndex() < 0;
    combo_->addItem(QString::fromStdString(text));
    if (noneChosen) combo_->setCurrentIndex(-1);
}

void ComboBoxControl::DeleteItem(int index) {
    if (!InRange(index, combo_->count())) return;
    const bool wasChosen = combo_->currentIndex() == index;
    combo_->removeItem(index);
    if (wasChosen) combo_->setCurrentIndex(-1);
}

void ComboBoxControl::ClearItems() { combo_->clear(); }

int ComboBoxControl::ItemCount() const { return combo_->count(); }

std::string ComboBoxControl::ItemText(int index) const { return combo_->itemText(index).toStdString(); }

void ComboBoxControl::SetCurrentIndex(int index) {
    combo_->setCurrentIndex(InRange(index, combo_->count()) ? index : -1);
}

int ComboBoxControl::CurrentIndex() const { return combo_->currentIndex(); }

ListBoxControl::ListBoxControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink)
    : Control(source, new QListWidget(parent), sink), list_(static_cast<QListWidget*>(Widget())) {
    if (!HasStyle(kBorder)) list_->setFrameStyle(QFrame::NoFrame);
    list_->setVerticalScrollBarPolicy(ScrollPolicy(HasStyle(kVerticalScroll)));
    list_->setHorizontalScrollBarPolicy(ScrollPolicy(HasStyle(kHorizontalScroll)));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setUniformItemSizes(true);
    for (const std::string& item : source.items) list_->addItem(QString::fromStdString(item));
    QObject::connect(list_, &QListWidget::itemSelectionChanged, Context(), [this] { Report(Event::SelectionChanged); });
    clicks_ = std::make_unique<MouseClicks>(
        *list_->viewport(), [this](QPoint at) { return RowHit(*list_, at); },
        [this](Event event, int row, int column) { Report(event, row, column); });
}

std::string ListBoxControl::Text() const { return ItemText(CurrentIndex()); }

void ListBoxControl::AddItem(const std::string& text) { list_->addItem(QString::fromStdString(text)); }

// Qt would move the choice to a neighbour of a deleted chosen entry: an entry the operator never picked.
void ListBoxControl::DeleteItem(int index) {
    if (!InRange(index, list_->count())) return;
    const bool wasChosen = CurrentIndex() == index;
    delete list_->takeItem(index);
    if (wasChosen) SetCurrentIndex(-1);
}

void ListBoxControl::ClearItems() { list_->clear(); }

int ListBoxControl::ItemCount() const { return list_->count(); }

std::string ListBoxControl::ItemText(int index) const {
    const QListWidgetItem* item = list_->item(index);
    return item != nullptr ? item->text().toStdString() : std::string();
}

void ListBoxControl::SetCurrentIndex(int index) {
    if (InRange(index, list_->count())) {
        list_->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    } else {
        list_->clearSelection();
    }
}

int ListBoxControl::CurrentIndex() const {
    const QList<QListWidgetItem*> chosen = list_->selectedItems();
    return chosen.isEmpty() ? -1 : list_->row(chosen.front());
}

}  // namespace kelvane::ui::qtback
