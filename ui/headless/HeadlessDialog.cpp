#include "ui/headless/HeadlessDialog.h"

#include "ui/headless/HeadlessWindowSystem.h"

#include <algorithm>
#include <stdexcept>

namespace kelvane::ui {

HeadlessDialog::HeadlessDialog(HeadlessWindowSystem& system, const DialogTemplate& dialogTemplate,
                               DialogHandler& handler, HeadlessDialog* parent)
    : system_(system),
      template_(dialogTemplate),
      handler_(handler),
      parent_(parent),
      shown_(dialogTemplate.visible),
      bounds_(DialogUnitsToPixels({0, 0, dialogTemplate.size.width, dialogTemplate.size.height})),
      caption_(dialogTemplate.caption) {
    for (const ControlTemplate& source : template_.controls) {
        Control control;
        control.source = source;
        control.text = source.caption;
        control.shown = (source.style & kVisible) != 0;
        control.enabled = (source.style & kDisabled) == 0;
        control.readOnly = (source.style & kReadOnly) != 0;
        control.items = source.items;
        control.bitmap = source.kind == ControlKind::Picture ? source.resource : 0;
        control.icon = source.kind == ControlKind::PushButton ? source.resource : 0;
        controls_[source.id] = control;
    }
    system_.Remember(*this);
}

HeadlessDialog::~HeadlessDialog() { system_.Forget(*this); }

HeadlessDialog::Control& HeadlessDialog::At(int control) {
    const auto found = controls_.find(control);
    if (found == controls_.end()) {
        throw std::out_of_range("dialog " + std::to_string(template_.id) + " has no control " +
                                std::to_string(control));
    }
    return found->second;
}

const HeadlessDialog::Control& HeadlessDialog::At(int control) const {
    return const_cast<HeadlessDialog*>(this)->At(control);
}

HeadlessDialog::Row& HeadlessDialog::RowAt(int control, int row) {
    auto& rows = At(control).rows;
    if (row < 0 || row >= static_cast<int>(rows.size())) {
        throw std::out_of_range("list " + std::to_string(control) + " has no row " + std::to_string(row));
    }
    return rows[static_cast<std::size_t>(row)];
}

void HeadlessDialog::Notify(int control, Event event, bool byProgram, int row, int column) {
    handler_.OnNotify(
        {.control = control, .event = event, .row = row, .column = column, .text = {}, .byProgram = byProgram});
}

void HeadlessDialog::MoveTo(Point pixels) {
    bounds_.x = pixels.x;
    bounds_.y = pixels.y;
}

void HeadlessDialog::SetTimer(int timerId, unsigned milliseconds) { system_.StartTimer(*this, timerId, milliseconds); }

void HeadlessDialog::KillTimer(int timerId) { system_.StopTimer(*this, timerId); }

void HeadlessDialog::SetText(int control, const std::string& text) {
    Control& c = At(control);
    c.text = text;
    // An edit reports every change of its text, whoever made it.
    if (c.source.kind == ControlKind::Edit) Notify(control, Event::TextChanged, true);
}

std::unique_ptr<CellEditor> HeadlessDialog::CreateCellEditor(int control, const Rect& bounds,
                                                             CellEditorEvents& events) {
    const Control& list = At(control);
    int width = 0;
    for (const ListColumn& column : list.columns) width += column.width;
    auto editor = std::make_unique<HeadlessCellEditor>(bounds, width, events, [this] { cellEditor_ = nullptr; });
    cellEditor_ = editor.get();
    return editor;
}

void HeadlessDialog::SetFocus(int control) {
    if (control != 0) At(control);
    // Focus going anywhere else takes it from an open cell editor, which ends its edit.
    if (cellEditor_ != nullptr && cellEditor_->Focused()) {
        cellEditor_->Events().OnEditorFocusLost();
    }
    if (focus_ == control) return;
    const int previous = focus_;
    focus_ = control;
    if (previous != 0) Notify(previous, Event::FocusLost, false);
    if (control != 0) Notify(control, Event::FocusGained, false);
}

// The chosen entry stays chosen when an earlier one goes, and nothing is chosen once it goes itself, as in the
// window.
void HeadlessDialog::DeleteItem(int control, int index) {
    Control& c = At(control);
    if (index < 0 || index >= static_cast<int>(c.items.size())) return;
    c.items.erase(c.items.begin() + index);
    if (c.current == index) c.current = -1;
    if (c.current > index) --c.current;
}

void HeadlessDialog::ClearItems(int control) {
    At(control).items.clear();
    At(control).current = -1;
}

std::string HeadlessDialog::ItemText(int control, int index) const {
    const auto& items = At(control).items;
    return index >= 0 && index < static_cast<int>(items.size()) ? items[static_cast<std::size_t>(index)] : "";
}

void HeadlessDialog::SetCurrentIndex(int control, int index) {
    Control& c = At(control);
    c.current = index >= 0 && index < static_cast<int>(c.items.size()) ? index : -1;
}

void HeadlessDialog::InsertRow(int control, int index) {
    auto& rows = At(control).rows;
    const auto at = std::clamp<std::size_t>(static_cast<std::size_t>(std::max(index, 0)), 0, rows.size());
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(at), Row{});
}

void HeadlessDialog::DeleteRow(int control, int index) {
    auto& rows = At(control).rows;
    if (index >= 0 && index < static_cast<int>(rows.size())) rows.erase(rows.begin() + index);
}

void HeadlessDialog::SetCell(int control, int row, int column, const ListCell& cell) {
    if (column < 0) throw std::out_of_range("negative column");
    auto& cells = RowAt(control, row).cells;
    if (cells.size() <= static_cast<std::size_t>(column)) cells.resize(static_cast<std::size_t>(column) + 1);
    cells[static_cast<std::size_t>(column)] = cell;
}

void HeadlessDialog::SetCellToolTip(int control, int row, int column, const std::string& text) {
    if (column < 0) throw std::out_of_range("negative column");
    auto& tips = RowAt(control, row).toolTips;
    if (tips.size() <= static_cast<std::size_t>(column)) tips.resize(static_cast<std::size_t>(column) + 1);
    tips[static_cast<std::size_t>(column)] = text;
}

std::string HeadlessDialog::CellToolTip(int control, int row, int column) const {
    const auto& tips = const_cast<HeadlessDialog*>(this)->RowAt(control, row).toolTips;
    return column >= 0 && column < static_cast<int>(tips.size()) ? tips[static_cast<std::size_t>(column)] : "";
}

ListCell HeadlessDialog::Cell(int control, int row, int column) const {
    const auto& cells = const_cast<HeadlessDialog*>(this)->RowAt(control, row).cells;
    return column >= 0 && column < static_cast<int>(cells.size()) ? cells[static_cast<std::size_t>(column)]
                                                                  : ListCell{};
}

void HeadlessDialog::SetRowTextColor(int control, int row, Color color) {
    Row& r = RowAt(control, row);
    r.textColor = color;
    r.hasTextColor = true;
}

void HeadlessDialog::SetRowSelected(int control, int row, bool selected) { RowAt(control, row).selected = selected; }

void HeadlessDialog::ScrollToRow(int control, int row) {
    RowAt(control, row);  // a row that is not there is the program's mistake
    At(control).scrolledTo = row;
}

std::vector<int> HeadlessDialog::SelectedRows(int control) const {
    std::vector<int> selected;
    const auto& rows = At(control).rows;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].selected) selected.push_back(static_cast<int>(i));
    }
    return selected;
}

Rect HeadlessDialog::CellBounds(int control, int row, int column) const {
    const Control& c = At(control);
    constexpr int kRowHeight = 17;
    int x = 0;
    for (int k = 0; k < column && k < static_cast<int>(c.columns.size()); ++k)
        x += c.columns[static_cast<std::size_t>(k)].width;
    const int width = column >= 0 && column < static_cast<int>(c.columns.size())
                          ? c.columns[static_cast<std::size_t>(column)].width
                          : 0;
    return {x, row * kRowHeight, width, kRowHeight};
}

void HeadlessDialog::SetChart(int control, const ChartData& chart) {
    Control& c = At(control);
    // As the real back end, only a chart control takes a chart.
    if (c.source.kind != ControlKind::Chart) {
        throw std::invalid_argument("control " + std::to_string(control) + " is not a chart");
    }
    c.chart = chart;
    ++c.charted;
}

void HeadlessDialog::SetRange(int control, int minimum, int maximum) {
    Control& c = At(control);
    c.minimum = minimum;
    c.maximum = maximum;
    c.position = std::clamp(c.position, minimum, std::max(minimum, maximum));
}

void HeadlessDialog::SetPosition(int control, int position) {
    Control& c = At(control);
    c.position = std::clamp(position, c.minimum, std::max(c.minimum, c.maximum));
}

void HeadlessDialog::Click(int control, int row, int column) {
    Control& c = At(control);
    if (c.source.kind == ControlKind::CheckBox) c.checked = !c.checked;
    Notify(control, Event::Clicked, false, row, column);
}

void HeadlessDialog::DoubleClick(int control, int row, int column) {
    Control& c = At(control);
    if (c.source.kind == ControlKind::ListBox) c.current = row;
    Notify(control, Event::DoubleClicked, false, row, column);
}

void HeadlessDialog::Type(int control, const std::string& text) {
    At(control).text = text;
    Notify(control, Event::TextChanged, false);
}

void HeadlessDialog::Choose(int control, int index) {
    SetCurrentIndex(control, index);
    Notify(control, Event::SelectionChanged, false);
}

void HeadlessDialog::Slide(int control, int position, bool released) {
    SetPosition(control, position);
    Notify(control, released ? Event::SliderReleased : Event::SliderMoved, false);
}

void HeadlessDialog::PickTime(int control, int minutes) {
    At(control).minutes = minutes;
    Notify(control, Event::TimeChanged, false);
}

void HeadlessDialog::Focus(int control) { SetFocus(control); }

void HeadlessDialog::PressKey(int control, Key key, int row, int column) {
    SetFocus(control);
    Control& c = At(control);
    const bool acts = key != Key::Escape;
    if (c.source.kind == ControlKind::ListView && (c.source.style & kNotify) != 0 && acts && row >= 0) {
        const bool report = (c.source.style & kReport) != 0;
        return Notify(control, report ? Event::DoubleClicked : Event::Clicked, false, row, report ? column : 0);
    }
    if (c.source.kind == ControlKind::PushButton && acts) return Click(control);
    if (c.source.kind == ControlKind::ListBox && row >= 0) c.current = row;
    if (key == Key::Enter) handler_.OnOk();
    if (key == Key::Escape) handler_.OnCancel();
}

}  // namespace kelvane::ui

namespace kelvane::ui {

void HeadlessDialog::SetMenuBar(const MenuBar& menus) {
    menus_ = menus;
    menuEnabled_.clear();
    for (const Menu& menu : menus_) {
        for (const MenuItem& item : menu.items) menuEnabled_[item.id] = true;
    }
}

const MenuItem* HeadlessDialog::FindMenuItem(int itemId) const {
    for (const Menu& menu : menus_) {
        for (const MenuItem& item : menu.items) {
            if (item.id == itemId) return &item;
        }
    }
    return nullptr;
}

void HeadlessDialog::EnableMenuItem(int itemId, bool enabled) {
    if (FindMenuItem(itemId) == nullptr) throw std::out_of_range("no menu item " + std::to_string(itemId));
    menuEnabled_[itemId] = enabled;
}

bool HeadlessDialog::IsMenuItemEnabled(int itemId) const {
    const auto found = menuEnabled_.find(itemId);
    return found != menuEnabled_.end() && found->second;
}

bool HeadlessDialog::ChooseMenuItem(int itemId) {
    if (FindMenuItem(itemId) == nullptr) throw std::out_of_range("no menu item " + std::to_string(itemId));
    if (!IsMenuItemEnabled(itemId)) return false;
    handler_.OnMenuItem(itemId);
    return true;
}

}  // namespace kelvane::ui
