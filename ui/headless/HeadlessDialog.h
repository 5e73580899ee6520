#pragma once

#include "ui/Dialog.h"
#include "ui/headless/HeadlessCellEditor.h"

#include <map>

namespace kelvane::ui {

class HeadlessWindowSystem;

// A dialog with no window: it keeps every control's state so that tests can look at what the program set,
// and it turns scripted operator actions into the notifications a real window would send.
class HeadlessDialog final : public Dialog {
public:
    struct Row {
        std::vector<ListCell> cells;
        std::vector<std::string> toolTips;
        Color textColor;
        bool hasTextColor = false;
        bool selected = false;
    };

    struct Control {
        ControlTemplate source;
        std::string text;
        bool shown = false;
        bool enabled = true;
        bool readOnly = false;
        ControlColors colors;
        Font font;
        int bitmap = 0;
        int icon = 0;
        int textLimit = 0;
        bool password = false;
        std::string toolTip;
        std::vector<std::string> items;
        int current = -1;
        std::vector<ListColumn> columns;
        ImageList images;
        Size iconSpacing;
        std::vector<Row> rows;
        int minimum = 0;
        int maximum = 100;
        int position = 0;
        int tickFrequency = 1;
        bool checked = false;
        int minutes = 0;
        std::vector<DrawnRect> drawing;
        ChartData chart;
        int charted = 0;  // how many times the program gave the chart its figures
        int scrolledTo = -1;  // the row last scrolled into view
    };

    HeadlessDialog(HeadlessWindowSystem& system, const DialogTemplate& dialogTemplate, DialogHandler& handler,
                   HeadlessDialog* parent);
    ~HeadlessDialog() override;

    int TemplateId() const override { return template_.id; }
    const DialogTemplate& Template() const { return template_; }
    void Show(bool shown) override { shown_ = shown; }
    bool IsShown() const override { return shown_; }
    void MoveTo(Point pixels) override;
    Rect Bounds() const override { return bounds_; }
    void SetCaption(const std::string& caption) override { caption_ = caption; }
    void SetWindowIcon(int iconResource) override { windowIcon_ = iconResource; }
    void RepaintNow() override { ++repaints_; }
    void SetTimer(int timerId, unsigned milliseconds) override;
    void KillTimer(int timerId) override;

    void SetMenuBar(const MenuBar& menus) override;
    void EnableMenuItem(int itemId, bool enabled) override;
    bool IsMenuItemEnabled(int itemId) const override;
    void SetStatusFields(const std::vector<std::string>& fields) override { statusFields_ = fields; }

    void SetText(int control, const std::string& text) override;
    std::string Text(int control) const override { return At(control).text; }
    void ShowControl(int control, bool shown) override { At(control).shown = shown; }
    bool IsControlShown(int control) const override { return At(control).shown; }
    void EnableControl(int control, bool enabled) override { At(control).enabled = enabled; }
    bool IsControlEnabled(int control) const override { return At(control).enabled; }
    void SetReadOnly(int control, bool readOnly) override { At(control).readOnly = readOnly; }
    void SetColors(int control, const ControlColors& colors) override { At(control).colors = colors; }
    void SetFont(int control, const Font& font) override { At(control).font = font; }
    void SetFocus(int control) override;
    int FocusedControl() const override { return focus_; }
    void SetBitmap(int control, int bitmapResource) override { At(control).bitmap = bitmapResource; }
    void SetIcon(int control, int iconResource) override { At(control).icon = iconResource; }
    void SetTextLimit(int control, int characters) override { At(control).textLimit = characters; }
    void SetPassword(int control, bool hidden) override { At(control).password = hidden; }
    void SetToolTip(int control, const std::string& text) override { At(control).toolTip = text; }

    void AddItem(int control, const std::string& text) override { At(control).items.push_back(text); }
    void DeleteItem(int control, int index) override;
    void ClearItems(int control) override;
    int ItemCount(int control) const override { return static_cast<int>(At(control).items.size()); }
    std::string ItemText(int control, int index) const override;
    void SetCurrentIndex(int control, int index) override;
    int CurrentIndex(int control) const override { return At(control).current; }

    void SetColumns(int control, const std::vector<ListColumn>& columns) override { At(control).columns = columns; }
    void SetImageList(int control, const ImageList& images) override { At(control).images = images; }
    void SetIconSpacing(int control, Size pixels) override { At(control).iconSpacing = pixels; }
    void InsertRow(int control, int index) override;
    void DeleteRow(int control, int index) override;
    int RowCount(int control) const override { return static_cast<int>(At(control).rows.size()); }
    void SetCell(int control, int row, int column, const ListCell& cell) override;
    ListCell Cell(int control, int row, int column) const override;
    void SetRowTextColor(int control, int row, Color color) override;
    void SetRowSelected(int control, int row, bool selected) override;
    std::vector<int> SelectedRows(int control) const override;
    void ScrollToRow(int control, int row) override;
    void SetCellToolTip(int control, int row, int column, const std::string& text) override;
    std::string CellToolTip(int control, int row, int column) const;
    Rect CellBounds(int control, int row, int column) const override;
    std::unique_ptr<CellEditor> CreateCellEditor(int control, const Rect& bounds, CellEditorEvents& events) override;
    void SetDrawing(int control, const std::vector<DrawnRect>& rects) override { At(control).drawing = rects; }
    void SetChart(int control, const ChartData& chart) override;

    void SetRange(int control, int minimum, int maximum) override;
    void SetPosition(int control, int position) override;
    int Position(int control) const override { return At(control).position; }
    void SetTickFrequency(int control, int every) override { At(control).tickFrequency = every; }

    void SetChecked(int control, bool checked) override { At(control).checked = checked; }
    bool IsChecked(int control) const override { return At(control).checked; }

    void SetTimeOfDay(int control, int minutes) override { At(control).minutes = minutes; }
    int TimeOfDay(int control) const override { return At(control).minutes; }

    // What tests look at.
    const Control& ControlState(int control) const { return At(control); }
    bool HasControl(int control) const { return controls_.count(control) != 0; }
    const std::string& Caption() const { return caption_; }
    int WindowIcon() const { return windowIcon_; }
    int Repaints() const { return repaints_; }
    HeadlessDialog* Parent() const { return parent_; }
    DialogHandler& Handler() { return handler_; }
    const MenuBar& Menus() const { return menus_; }
    // The item with `itemId`, or null.
    const MenuItem* FindMenuItem(int itemId) const;
    const std::vector<std::string>& StatusFields() const { return statusFields_; }

    // Operator actions, as the window would report them.
    void Click(int control, int row = -1, int column = -1);
    void DoubleClick(int control, int row = -1, int column = -1);
    void Type(int control, const std::string& text);
    void Choose(int control, int index);
    void Slide(int control, int position, bool released);
    void PickTime(int control, int minutes);
    void Focus(int control);
    // A key pressed with the focus on `control`, which takes the focus first as a click or Tab gives it;
    // `row` and `column` are a list's current cell, where the arrow keys left it. As on the Qt back end: Enter
    // or Space on a list view that reports clicks acts on that cell (a click on a large icon, a double-click on
    // a report's cell), Enter or Space presses a push button; otherwise Enter and Escape are the dialog's OK
    // and Cancel.
    enum class Key { Enter, Escape, Space };
    void PressKey(int control, Key key, int row = -1, int column = -1);
    void PressEnter() { handler_.OnOk(); }
    void PressEscape() { handler_.OnCancel(); }
    void CloseBox() { handler_.OnClose(); }
    // Chooses a menu item as the mouse or its shortcut would: false, and nothing reported, when it is disabled.
    bool ChooseMenuItem(int itemId);
    // The cell editor open on this dialog, if any, and the operator's keys in it.
    HeadlessCellEditor* ActiveCellEditor() const { return cellEditor_; }
    void PressEditorKey(EditorKey key) { cellEditor_->Events().OnEditorKey(key); }

private:
    Control& At(int control);
    const Control& At(int control) const;
    HeadlessDialog::Row& RowAt(int control, int row);
    void Notify(int control, Event event, bool byProgram, int row = -1, int column = -1);

    HeadlessWindowSystem& system_;
    DialogTemplate template_;
    DialogHandler& handler_;
    HeadlessDialog* parent_;
    std::map<int, Control> controls_;
    bool shown_;
    Rect bounds_;
    std::string caption_;
    int windowIcon_ = 0;
    int repaints_ = 0;
    int focus_ = 0;
    HeadlessCellEditor* cellEditor_ = nullptr;
    MenuBar menus_;
    std::map<int, bool> menuEnabled_;
    std::vector<std::string> statusFields_;
};

}  // namespace kelvane::ui
