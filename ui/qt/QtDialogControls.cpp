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

template <class Capability, class... Parameters, class... Arguments>
void QtDialog::Tell(int control, const char* operation, void (Capability::*call)(Parameters...),
                    Arguments&&... arguments) {
    const ProgramScope scope;
    if (Capability* capable = FindAs<Capability>(control, operation)) {
        (capable->*call)(std::forward<Arguments>(arguments)...);
    }
}

template <class... Parameters, class... Arguments>
void QtDialog::SetProperty(int control, const char* operation, bool (qtback::Control::*set)(Parameters...),
                           Arguments&&... arguments) {
    const ProgramScope scope;
    qtback::Control* found = Find(control, operation);
    if (found != nullptr && !(found->*set)(std::forward<Arguments>(arguments)...)) {
        qWarning("Kelvane control %d cannot take %s", control, operation);
    }
}

template <class Capability, class Result, class... Parameters, class... Arguments>
Result QtDialog::Ask(int control, const char* operation, Result (Capability::*question)(Parameters...) const,
                     Result otherwise, Arguments&&... arguments) const {
    const Capability* capable = FindAs<Capability>(control, operation);
    return capable != nullptr ? (capable->*question)(std::forward<Arguments>(arguments)...) : otherwise;
}

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
    SetProperty(control, "SetReadOnly", &qtback::Control::SetReadOnly, readOnly);
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
    SetProperty(control, "SetBitmap", &qtback::Control::SetBitmap, bitmapResource);
}

void QtDialog::SetIcon(int control, int iconResource) {
    SetProperty(control, "SetIcon", &qtback::Control::SetIcon, iconResource);
}

void QtDialog::SetTextLimit(int control, int characters) {
    SetProperty(control, "SetTextLimit", &qtback::Control::SetTextLimit, characters);
}

void QtDialog::SetPassword(int control, bool hidden) {
    SetProperty(control, "SetPassword", &qtback::Control::SetPassword, hidden);
}

void QtDialog::SetToolTip(int control, const std::string& text) {
    if (qtback::Control* found = Find(control, "SetToolTip")) found->Widget()->setToolTip(QString::fromStdString(text));
}

void QtDialog::AddItem(int control, const std::string& text) { Tell(control, "AddItem", &ItemList::AddItem, text); }

void QtDialog::DeleteItem(int control, int index) { Tell(control, "DeleteItem", &ItemList::DeleteItem, index); }

void QtDialog::ClearItems(int control) { Tell(control, "ClearItems", &ItemList::ClearItems); }

int QtDialog::ItemCount(int control) const { return Ask(control, "ItemCount", &ItemList::ItemCount, 0); }

std::string QtDialog::ItemText(int control, int index) const {
    return Ask(control, "ItemText", &ItemList::ItemText, std::string(), index);
}

void QtDialog::SetCurrentIndex(int control, int index) {
    Tell(control, "SetCurrentIndex", &ItemList::SetCurrentIndex, index);
}

int QtDialog::CurrentIndex(int control) const { return Ask(control, "CurrentIndex", &ItemList::CurrentIndex, -1); }

void QtDialog::SetColumns(int control, const std::vector<ListColumn>& columns) {
    Tell(control, "SetColumns", &RowList::SetColumns, columns);
}

void QtDialog::SetImageList(int control, const ImageList& images) {
    Tell(control, "SetImageList", &RowList::SetImageList, images);
}

void QtDialog::SetIconSpacing(int control, Size pixels) {
    Tell(control, "SetIconSpacing", &RowList::SetIconSpacing, pixels);
}

void QtDialog::InsertRow(int control, int index) { Tell(control, "InsertRow", &RowList::InsertRow, index); }

void QtDialog::DeleteRow(int control, int index) { Tell(control, "DeleteRow", &RowList::DeleteRow, index); }

int QtDialog::RowCount(int control) const { return Ask(control, "RowCount", &RowList::RowCount, 0); }

void QtDialog::SetCell(int control, int row, int column, const ListCell& cell) {
    Tell(control, "SetCell", &RowList::SetCell, row, column, cell);
}

void QtDialog::SetCellToolTip(int control, int row, int column, const std::string& text) {
    Tell(control, "SetCellToolTip", &RowList::SetCellToolTip, row, column, text);
}

ListCell QtDialog::Cell(int control, int row, int column) const {
    return Ask(control, "Cell", &RowList::Cell, ListCell{}, row, column);
}

void QtDialog::SetRowTextColor(int control, int row, Color color) {
    Tell(control, "SetRowTextColor", &RowList::SetRowTextColor, row, color);
}

void QtDialog::ScrollToRow(int control, int row) { Tell(control, "ScrollToRow", &RowList::ScrollToRow, row); }

void QtDialog::SetRowSelected(int control, int row, bool selected) {
    Tell(control, "SetRowSelected", &RowList::SetRowSelected, row, selected);
}

std::vector<int> QtDialog::SelectedRows(int control) const {
    return Ask(control, "SelectedRows", &RowList::SelectedRows, std::vector<int>{});
}

Rect QtDialog::CellBounds(int control, int row, int column) const {
    return Ask(control, "CellBounds", &RowList::CellBounds, Rect{}, row, column);
}

std::unique_ptr<CellEditor> QtDialog::CreateCellEditor(int control, const Rect& bounds, CellEditorEvents& events) {
    if (FindAs<RowList>(control, "CreateCellEditor") == nullptr) return nullptr;
    qtback::Control* list = Find(control, "CreateCellEditor");
    return std::make_unique<qtback::CellEditorWidget>(list->Widget(), bounds, events);
}

void QtDialog::SetDrawing(int control, const std::vector<DrawnRect>& rects) {
    Tell(control, "SetDrawing", &qtback::DrawingControl::SetDrawing, rects);
}

void QtDialog::SetChart(int control, const ChartData& chart) {
    Tell(control, "SetChart", &qtback::ChartHolder::SetChart, chart);
}

void QtDialog::SetRange(int control, int minimum, int maximum) {
    Tell(control, "SetRange", &RangeControl::SetRange, minimum, maximum);
}

void QtDialog::SetPosition(int control, int position) {
    Tell(control, "SetPosition", &RangeControl::SetPosition, position);
}

int QtDialog::Position(int control) const { return Ask(control, "Position", &RangeControl::Position, 0); }

void QtDialog::SetTickFrequency(int control, int every) {
    Tell(control, "SetTickFrequency", &RangeControl::SetTickFrequency, every);
}

void QtDialog::SetChecked(int control, bool checked) {
    Tell(control, "SetChecked", &CheckControl::SetChecked, checked);
}

bool QtDialog::IsChecked(int control) const { return Ask(control, "IsChecked", &CheckControl::IsChecked, false); }

void QtDialog::SetTimeOfDay(int control, int minutes) {
    Tell(control, "SetTimeOfDay", &TimeControl::SetTimeOfDay, minutes);
}

int QtDialog::TimeOfDay(int control) const { return Ask(control, "TimeOfDay", &TimeControl::TimeOfDay, 0); }

}  // namespace kelvane::ui
