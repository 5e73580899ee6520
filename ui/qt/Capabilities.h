#pragma once

#include "ui/Dialog.h"

#include <string>
#include <vector>

// What only some kinds of control can do. A dialog looks for the interface a call needs and ignores the call,
// with a warning, on a control that lacks it.
namespace kelvane::ui::qtback {

// Combo and list boxes.
class ItemList {
public:
    virtual ~ItemList() = default;
    virtual void AddItem(const std::string& text) = 0;
    virtual void DeleteItem(int index) = 0;
    virtual void ClearItems() = 0;
    virtual int ItemCount() const = 0;
    virtual std::string ItemText(int index) const = 0;
    virtual void SetCurrentIndex(int index) = 0;
    virtual int CurrentIndex() const = 0;
};

// List views, in either mode. Only report rows have columns, captions and tool tips, and only large icons are
// placed by a spacing; the other mode ignores these calls and still keeps the cells of every column.
class RowList {
public:
    virtual ~RowList() = default;
    virtual void SetColumns(const std::vector<ListColumn>& /*columns*/) {}
    virtual void SetImageList(const ImageList& images) = 0;
    virtual void SetIconSpacing(Size /*pixels*/) {}
    virtual void InsertRow(int index) = 0;
    virtual void DeleteRow(int index) = 0;
    virtual int RowCount() const = 0;
    virtual void SetCell(int row, int column, const ListCell& cell) = 0;
    virtual ListCell Cell(int row, int column) const = 0;
    virtual void SetRowTextColor(int row, Color color) = 0;
    virtual void SetRowSelected(int row, bool selected) = 0;
    virtual void ScrollToRow(int row) = 0;
    virtual std::vector<int> SelectedRows() const = 0;
    virtual Rect CellBounds(int row, int column) const = 0;
    virtual void SetCellToolTip(int /*row*/, int /*column*/, const std::string& /*text*/) {}
};

// Progress bars and track bars.
class RangeControl {
public:
    virtual ~RangeControl() = default;
    virtual void SetRange(int minimum, int maximum) = 0;
    virtual void SetPosition(int position) = 0;
    virtual int Position() const = 0;
    virtual void SetTickFrequency(int every) = 0;
};

class CheckControl {
public:
    virtual ~CheckControl() = default;
    virtual void SetChecked(bool checked) = 0;
    virtual bool IsChecked() const = 0;
};

// Minutes since midnight.
class TimeControl {
public:
    virtual ~TimeControl() = default;
    virtual void SetTimeOfDay(int minutes) = 0;
    virtual int TimeOfDay() const = 0;
};

}  // namespace kelvane::ui::qtback
