#pragma once

#include "ui/Chart.h"
#include "ui/DialogTemplate.h"
#include "ui/Geometry.h"
#include "ui/Menu.h"
#include "ui/Notification.h"

#include <memory>
#include <string>
#include <vector>

namespace kelvane::ui {

// What a dialog's owner hears from it. Every call comes on the one user-interface thread.
class DialogHandler {
public:
    virtual ~DialogHandler() = default;
    virtual void OnNotify(const Notification&) {}
    virtual void OnTimer(int /*timerId*/) {}
    // Enter and Escape, which a dialog treats as its OK and Cancel actions.
    virtual void OnOk() {}
    virtual void OnCancel() {}
    // The window's close box.
    virtual void OnClose() {}
    // An entry of the window's menu bar, by mouse or by its shortcut; only an enabled one is reported.
    virtual void OnMenuItem(int /*itemId*/) {}
};

constexpr int kNoImage = -1;

enum class ColumnAlign { Left, Centre, Right };

struct ListColumn {
    std::string caption;
    int width = 50;  // pixels
    ColumnAlign align = ColumnAlign::Left;  // of the column's cells
    bool operator==(const ListColumn&) const = default;
};

struct ListCell {
    std::string text;
    int image = kNoImage;
    bool operator==(const ListCell&) const = default;
};

// An image list: bitmap resources of one size, indexed in the order given.
struct ImageList {
    Size size;
    std::vector<int> bitmaps;
};

// A filled or framed rectangle on a drawing area, in the area's pixels.
struct DrawnRect {
    Rect rect;
    Color color;
    bool filled = true;  // false: only the outline
    bool operator==(const DrawnRect&) const = default;
};

// A one-line edit laid over one cell of a report list, for one edit. Pixels are the list's client coordinates.
class CellEditor {
public:
    virtual ~CellEditor() = default;
    virtual void SetText(const std::string& text) = 0;
    virtual std::string Text() const = 0;
    virtual void SelectAll() = 0;
    virtual void Focus() = 0;
    virtual Rect Bounds() const = 0;
    virtual void SetBounds(const Rect& bounds) = 0;
    // Width of `text` in the list's font.
    virtual int TextWidth(const std::string& text) const = 0;
    virtual int ListClientWidth() const = 0;
};

enum class EditorKey { Enter, Escape };

// What a cell editor reports. The editor may be destroyed from inside any of these calls.
class CellEditorEvents {
public:
    virtual ~CellEditorEvents() = default;
    virtual void OnEditorKey(EditorKey key) = 0;
    virtual void OnEditorTextEdited() = 0;
    virtual void OnEditorFocusLost() = 0;
};

// A dialog built from a template, its controls reached by id. The program writes against this interface only;
// each window-system back end implements it.
class Dialog {
public:
    virtual ~Dialog() = default;

    virtual int TemplateId() const = 0;

    // The window itself.
    virtual void Show(bool shown) = 0;
    virtual bool IsShown() const = 0;
    virtual void MoveTo(Point pixels) = 0;
    virtual Rect Bounds() const = 0;  // pixels, in the parent's client coordinates
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetWindowIcon(int iconResource) = 0;
    virtual void RepaintNow() = 0;
    virtual void SetTimer(int timerId, unsigned milliseconds) = 0;
    virtual void KillTimer(int timerId) = 0;

    // A window of its own may carry a menu bar above its controls and a status bar below them; the controls keep
    // their places. Every item starts enabled. The status bar's fields stay until the program sets others.
    virtual void SetMenuBar(const MenuBar& /*menus*/) {}
    virtual void EnableMenuItem(int /*itemId*/, bool /*enabled*/) {}
    virtual bool IsMenuItemEnabled(int /*itemId*/) const { return false; }
    virtual void SetStatusFields(const std::vector<std::string>& /*fields*/) {}

    // Any control.
    virtual void SetText(int control, const std::string& text) = 0;
    virtual std::string Text(int control) const = 0;
    virtual void ShowControl(int control, bool shown) = 0;
    virtual bool IsControlShown(int control) const = 0;
    virtual void EnableControl(int control, bool enabled) = 0;
    virtual bool IsControlEnabled(int control) const = 0;
    virtual void SetReadOnly(int control, bool readOnly) = 0;
    virtual void SetColors(int control, const ControlColors& colors) = 0;
    virtual void SetFont(int control, const Font& font) = 0;
    virtual void SetFocus(int control) = 0;
    virtual int FocusedControl() const = 0;  // 0 when no control of this dialog has the focus
    virtual void SetBitmap(int control, int bitmapResource) = 0;
    virtual void SetIcon(int control, int iconResource) = 0;
    virtual void SetTextLimit(int control, int characters) = 0;
    virtual void SetPassword(int control, bool hidden) = 0;
    // The hint shown while the mouse rests on the control; empty for none.
    virtual void SetToolTip(int control, const std::string& text) = 0;

    // Combo and list boxes.
    virtual void AddItem(int control, const std::string& text) = 0;
    virtual void DeleteItem(int control, int index) = 0;
    virtual void ClearItems(int control) = 0;
    virtual int ItemCount(int control) const = 0;
    virtual std::string ItemText(int control, int index) const = 0;
    virtual void SetCurrentIndex(int control, int index) = 0;  // -1 for none
    virtual int CurrentIndex(int control) const = 0;

    // List views.
    virtual void SetColumns(int control, const std::vector<ListColumn>& columns) = 0;
    virtual void SetImageList(int control, const ImageList& images) = 0;
    virtual void SetIconSpacing(int control, Size pixels) = 0;
    virtual void InsertRow(int control, int index) = 0;
    virtual void DeleteRow(int control, int index) = 0;
    virtual int RowCount(int control) const = 0;
    virtual void SetCell(int control, int row, int column, const ListCell& cell) = 0;
    virtual ListCell Cell(int control, int row, int column) const = 0;
    virtual void SetRowTextColor(int control, int row, Color color) = 0;
    virtual void SetRowSelected(int control, int row, bool selected) = 0;
    virtual std::vector<int> SelectedRows(int control) const = 0;
    // Scrolls the list so that `row` can be seen.
    virtual void ScrollToRow(int control, int row) = 0;
    // The hint shown while the mouse rests on one cell of a report list (what its picture means); empty for none.
    virtual void SetCellToolTip(int /*control*/, int /*row*/, int /*column*/, const std::string& /*text*/) {}
    virtual Rect CellBounds(int control, int row, int column) const = 0;  // pixels, in the list's coordinates
    // An editor over `bounds` of list `control`, reporting to `events`; null when none can be made.
    virtual std::unique_ptr<CellEditor> CreateCellEditor(int /*control*/, const Rect& /*bounds*/,
                                                         CellEditorEvents& /*events*/) {
        return nullptr;
    }

    // Drawing areas: what to paint, replacing what was there.
    virtual void SetDrawing(int /*control*/, const std::vector<DrawnRect>& /*rects*/) {}

    // Charts: what to draw, replacing what was there.
    virtual void SetChart(int /*control*/, const ChartData& /*chart*/) {}

    // Progress bars and track bars.
    virtual void SetRange(int control, int minimum, int maximum) = 0;
    virtual void SetPosition(int control, int position) = 0;
    virtual int Position(int control) const = 0;
    virtual void SetTickFrequency(int control, int every) = 0;

    // Check boxes.
    virtual void SetChecked(int control, bool checked) = 0;
    virtual bool IsChecked(int control) const = 0;

    // Time pickers: minutes since midnight.
    virtual void SetTimeOfDay(int control, int minutes) = 0;
    virtual int TimeOfDay(int control) const = 0;
};

}  // namespace kelvane::ui
