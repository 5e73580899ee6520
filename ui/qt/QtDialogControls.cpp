// The calls that reach one control of a QtDialog: each finds the control, or the capability the call needs,
// and passes the call on while marking it as the program's doing.
#include "ui/qt/QtDialog.h"

#include "ui/qt/CellEditorWidget.h"

#include "ui/qt/Activity.h"
#include "ui/qt/Capabilities.h"
#include "ui/qt/ChartControl.h"
#include "ui/qt/DrawingAreaControl.h"
#include "ui/qt/Fonts.h"

#include <QApplication>
#include <QWidget>

namespace kelvane::ui {

using qtback::CheckControl;
using qtback::ItemList;
using qtback::ProgramScope;
using qtback::RangeControl;
using qtback::RowList;
using qtback::TimeControl;

namespace {

void WarnUnless(bool supported, int control, const char* operation) {
    if (!supported) qWarning("Kelvane control %d cannot take %s", control, operation);
}

}  // namespace

void QtDialog::SetText(int control, const std::string& text) {
    qtback::Control* found = Find(control, "SetText");
    if (found == nullptr) return;
    {
        const ProgramScope scope;
        found->SetText(text);
    }
    // An edit reports every change of its text, whoever made it.
    if (found->Source().kind == ControlKind::Edit) Notify(control, Event::TextChanged, true);
}

std::string QtDialog::Text(int control) const {
    const qtback::Control* found = Find(control, "Text");
    return found != nullptr ? found->Text() : std::string();
}

void QtDialog::ShowControl(int control, bool shown) {
    const ProgramScope scope;
    if (qtback::Control* found = Find(control, "ShowControl")) found->Widget()->setVisible(shown);
}

bool QtDialog::IsControlShown(int control) const {
    const qtback::Control* found = Find(control, "IsControlShown");
    return found != nullptr && !found->Widget()->isHidden();
}

void QtDialog::EnableControl(int control, bool enabled) {
    const ProgramScope scope;
    if (qtback::Control* found = Find(control, "EnableControl")) found->Widget()->setEnabled(enabled);
}

bool QtDialog::IsControlEnabled(int control) const {
    const qtback::Control* found = Find(control, "IsControlEnabled");
    return found != nullptr && found->Widget()->isEnabledTo(Widget());
}

void QtDialog::SetReadOnly(int control, bool readOnly) {
    const ProgramScope scope;
    if (qtback::Control* found = Find(control, "SetReadOnly")) {
        WarnUnless(found->SetReadOnly(readOnly), control, "SetReadOnly");
    }
}

void QtDialog::SetColors(int control, const ControlColors& colors) {
    const ProgramScope scope;
    if (qtback::Control* found = Find(control, "SetColors")) found->SetColors(colors);
}

void QtDialog::SetFont(int control, const Font& font) {
    const ProgramScope scope;
    if (qtback::Control* found = Find(control, "SetFont")) found->SetFont(qtback::ProgramFont(font, font_));
}

void QtDialog::SetFocus(int control) {
    qtback::Control* target = nullptr;
    if (control != 0 && (target = Find(control, "SetFocus")) == nullptr) return;
    const int previous = FocusedControl();
    {
        const ProgramScope scope;
        if (target != nullptr) {
            target->Widget()->setFocus(Qt::OtherFocusReason);
        } else if (QWidget* focused = QApplication::focusWidget(); focused != nullptr && previous != 0) {
            focused->clearFocus();
        }
    }
    if (previous == control) return;
    const std::shared_ptr<bool> alive = alive_;
    if (previous != 0) Notify(previous, Event::FocusLost, false);
    if (*alive && control != 0) Notify(control, Event::FocusGained, false);
}

int QtDialog::FocusedControl() const { return ControlOf(QApplication::focusWidget()); }

void QtDialog::SetBitmap(int control, int bitmapResource) {
    const ProgramScope scope;
    if (qtback::Control* found = Find(control, "SetBitmap")) {
        WarnUnless(found->SetBitmap(bitmapResource), control, "SetBitmap");
    }
}

void QtDialog::SetIcon(int control, int iconResource) {
    const ProgramScope scope;
    if (qtback::Control* found = Find(control, "SetIcon")) WarnUnless(found->SetIcon(iconResource), control, "SetIcon");
}

void QtDialog::SetTextLimit(int control, int characters) {
    const ProgramScope scope;
    if (qtback::Control* found = Find(control, "SetTextLimit")) {
        WarnUnless(found->SetTextLimit(characters), control, "SetTextLimit");
    }
}

void QtDialog::SetPassword(int control, bool hidden) {
    const ProgramScope scope;
    if (qtback::Control* found = Find(control, "SetPassword")) {
        WarnUnless(found->SetPassword(hidden), control, "SetPassword");
    }
}

void QtDialog::SetToolTip(int control, const std::string& text) {
    if (qtback::Control* found = Find(control, "SetToolTip")) found->Widget()->setToolTip(QString::fromStdString(text));
}

void QtDialog::AddItem(int control, const std::string& text) {
    const ProgramScope scope;
    if (auto* items = FindAs<ItemList>(control, "AddItem")) items->AddItem(text);
}

void QtDialog::DeleteItem(int control, int index) {
    const ProgramScope scope;
    if (auto* items = FindAs<ItemList>(control, "DeleteItem")) items->DeleteItem(index);
}

void QtDialog::ClearItems(int control) {
    const ProgramScope scope;
    if (auto* items = FindAs<ItemList>(control, "ClearItems")) items->ClearItems();
}

int QtDialog::ItemCount(int control) const {
    const auto* items = FindAs<ItemList>(control, "ItemCount");
    return items != nullptr ? items->ItemCount() : 0;
}

std::string QtDialog::ItemText(int control, int index) const {
    const auto* items = FindAs<ItemList>(control, "ItemText");
    return items != nullptr ? items->ItemText(index) : std::string();
}

void QtDialog::SetCurrentIndex(int control, int index) {
    const ProgramScope scope;
    if (auto* items = FindAs<ItemList>(control, "SetCurrentIndex")) items->SetCurrentIndex(index);
}

int QtDialog::CurrentIndex(int control) const {
    const auto* items = FindAs<ItemList>(control, "CurrentIndex");
    return items != nullptr ? items->CurrentIndex() : -1;
}

void QtDialog::SetColumns(int control, const std::vector<ListColumn>& columns) {
    const ProgramScope scope;
    if (auto* list = FindAs<RowList>(control, "SetColumns")) list->SetColumns(columns);
}

void QtDialog::SetImageList(int control, const ImageList& images) {
    const ProgramScope scope;
    if (auto* list = FindAs<RowList>(control, "SetImageList")) list->SetImageList(images);
}

void QtDialog::SetIconSpacing(int control, Size pixels) {
    const ProgramScope scope;
    if (auto* list = FindAs<RowList>(control, "SetIconSpacing")) list->SetIconSpacing(pixels);
}

void QtDialog::InsertRow(int control, int index) {
    const ProgramScope scope;
    if (auto* list = FindAs<RowList>(control, "InsertRow")) list->InsertRow(index);
}

void QtDialog::DeleteRow(int control, int index) {
    const ProgramScope scope;
    if (auto* list = FindAs<RowList>(control, "DeleteRow")) list->DeleteRow(index);
}

int QtDialog::RowCount(int control) const {
    const auto* list = FindAs<RowList>(control, "RowCount");
    return list != nullptr ? list->RowCount() : 0;
}

void QtDialog::SetCell(int control, int row, int column, const ListCell& cell) {
    const ProgramScope scope;
    if (auto* list = FindAs<RowList>(control, "SetCell")) list->SetCell(row, column, cell);
}

void QtDialog::SetCellToolTip(int control, int row, int column, const std::string& text) {
    if (auto* list = FindAs<RowList>(control, "SetCellToolTip")) list->SetCellToolTip(row, column, text);
}

ListCell QtDialog::Cell(int control, int row, int column) const {
    const auto* list = FindAs<RowList>(control, "Cell");
    return list != nullptr ? list->Cell(row, column) : ListCell{};
}

void QtDialog::SetRowTextColor(int control, int row, Color color) {
    const ProgramScope scope;
    if (auto* list = FindAs<RowList>(control, "SetRowTextColor")) list->SetRowTextColor(row, color);
}

void QtDialog::ScrollToRow(int control, int row) {
    if (auto* list = FindAs<RowList>(control, "ScrollToRow")) list->ScrollToRow(row);
}

void QtDialog::SetRowSelected(int control, int row, bool selected) {
    const ProgramScope scope;
    if (auto* list = FindAs<RowList>(control, "SetRowSelected")) list->SetRowSelected(row, selected);
}

std::vector<int> QtDialog::SelectedRows(int control) const {
    const auto* list = FindAs<RowList>(control, "SelectedRows");
    return list != nullptr ? list->SelectedRows() : std::vector<int>{};
}

Rect QtDialog::CellBounds(int control, int row, int column) const {
    const auto* list = FindAs<RowList>(control, "CellBounds");
    return list != nullptr ? list->CellBounds(row, column) : Rect{};
}

std::unique_ptr<CellEditor> QtDialog::CreateCellEditor(int control, const Rect& bounds, CellEditorEvents& events) {
    if (FindAs<RowList>(control, "CreateCellEditor") == nullptr) return nullptr;
    qtback::Control* list = Find(control, "CreateCellEditor");
    return std::make_unique<qtback::CellEditorWidget>(list->Widget(), bounds, events);
}

void QtDialog::SetDrawing(int control, const std::vector<DrawnRect>& rects) {
    const ProgramScope scope;
    if (auto* area = FindAs<qtback::DrawingControl>(control, "SetDrawing")) area->SetDrawing(rects);
}

void QtDialog::SetChart(int control, const ChartData& chart) {
    const ProgramScope scope;
    if (auto* holder = FindAs<qtback::ChartHolder>(control, "SetChart")) holder->SetChart(chart);
}

void QtDialog::SetRange(int control, int minimum, int maximum) {
    const ProgramScope scope;
    if (auto* range = FindAs<RangeControl>(control, "SetRange")) range->SetRange(minimum, maximum);
}

void QtDialog::SetPosition(int control, int position) {
    const ProgramScope scope;
    if (auto* range = FindAs<RangeControl>(control, "SetPosition")) range->SetPosition(position);
}

int QtDialog::Position(int control) const {
    const auto* range = FindAs<RangeControl>(control, "Position");
    return range != nullptr ? range->Position() : 0;
}

void QtDialog::SetTickFrequency(int control, int every) {
    const ProgramScope scope;
    if (auto* range = FindAs<RangeControl>(control, "SetTickFrequency")) range->SetTickFrequency(every);
}

void QtDialog::SetChecked(int control, bool checked) {
    const ProgramScope scope;
    if (auto* box = FindAs<CheckControl>(control, "SetChecked")) box->SetChecked(checked);
}

bool QtDialog::IsChecked(int control) const {
    const auto* box = FindAs<CheckControl>(control, "IsChecked");
    return box != nullptr && box->IsChecked();
}

void QtDialog::SetTimeOfDay(int control, int minutes) {
    const ProgramScope scope;
    if (auto* time = FindAs<TimeControl>(control, "SetTimeOfDay")) time->SetTimeOfDay(minutes);
}

int QtDialog::TimeOfDay(int control) const {
    const auto* time = FindAs<TimeControl>(control, "TimeOfDay");
    return time != nullptr ? time->TimeOfDay() : 0;
}

}  // namespace kelvane::ui
