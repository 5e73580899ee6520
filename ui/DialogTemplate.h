#pragma once

#include "ui/Geometry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kelvane::ui {

enum class ControlKind {
    Static,  // a caption
    Edit,
    PushButton,  // with an icon when `resource` is set
    CheckBox,
    ComboBox,  // drop-down list
    ListBox,
    ListView,  // large icons or report rows, per style
    ProgressBar,
    TrackBar,
    TimePicker,
    Picture,  // a bitmap resource
    GroupBox,
    EtchedLine,
    DrawingArea,  // a plain surface the program paints with filled and framed rectangles
    Chart,  // lines over a time axis, drawn from the figures the program gives it
};

// Style bits a template can give a control.
enum ControlStyle : std::uint32_t {
    kVisible = 1u << 0,
    kDisabled = 1u << 1,
    kReadOnly = 1u << 2,
    kMultiLine = 1u << 3,
    kCentered = 1u << 4,
    kBorder = 1u << 5,
    kVerticalScroll = 1u << 6,
    kHorizontalScroll = 1u << 7,
    kNotify = 1u << 8,  // clicks and double-clicks reach the handler
    kSmooth = 1u << 9,  // progress bar without segments
    kNumbersOnly = 1u << 10,
    kTabStop = 1u << 11,
    kLargeIcons = 1u << 12,  // list view: icons with labels under them
    kReport = 1u << 13,  // list view: rows and columns
    kNoHeader = 1u << 14,
    kGridLines = 1u << 15,
    kFullRowSelect = 1u << 16,
    kSingleSelection = 1u << 17,
    kRightAligned = 1u << 18,
    kNoCaret = 1u << 19,
    kElideMiddle = 1u << 20,  // read-only text: a line too long for the control loses its middle, not its end
};

struct ControlTemplate {
    int id = 0;
    ControlKind kind = ControlKind::Static;
    Rect rect;  // dialog units
    std::string caption;  // UTF-8
    std::uint32_t style = kVisible;
    std::vector<std::string> items;  // initial entries of a combo or list box
    int resource = 0;  // bitmap of a picture, icon of a button
};

// Each kind of control as templates write it: the kind's usual style is the default, so that a template names
// only what sets a control apart.
constexpr std::uint32_t kEditStyle = kVisible | kBorder | kTabStop;
// The program's lists choose an entry on a double-click, so they report it.
constexpr std::uint32_t kListBoxStyle = kVisible | kBorder | kVerticalScroll | kNotify | kTabStop;
ControlTemplate Caption(int id, Rect rect, std::string text, std::uint32_t style = kVisible);
ControlTemplate Edit(int id, Rect rect, std::uint32_t style = kEditStyle);
ControlTemplate Button(int id, Rect rect, std::string caption, std::uint32_t style = kVisible | kTabStop);
ControlTemplate IconButton(int id, Rect rect, int icon, std::uint32_t style = kVisible | kTabStop);
ControlTemplate CheckBox(int id, Rect rect, std::string caption);
ControlTemplate ComboBox(int id, Rect rect, std::vector<std::string> items, std::uint32_t style = kEditStyle);
ControlTemplate ListBox(int id, Rect rect, std::uint32_t style = kListBoxStyle, std::vector<std::string> items = {});
ControlTemplate ListView(int id, Rect rect, std::uint32_t style);
ControlTemplate ProgressBar(int id, Rect rect, std::uint32_t style = kVisible | kSmooth | kBorder);
ControlTemplate Picture(int id, Rect rect, int bitmap, std::uint32_t style = kVisible);
ControlTemplate GroupBox(int id, Rect rect, std::string caption);
// The kinds that carry nothing but their place: track bars and time pickers take the tab, the rest do not.
ControlTemplate Plain(int id, ControlKind kind, Rect rect);

struct DialogTemplate {
    int id = 0;
    Size size{};  // dialog units
    std::string caption{};
    std::string fontFace = "Microsoft Sans Serif";
    int fontPoints = 8;
    bool child = false;  // a panel inside the main window rather than a window of its own
    bool visible = false;
    std::vector<ControlTemplate> controls{};

    const ControlTemplate* Find(int controlId) const;
};

// A panel placed inside another dialog's window, hidden until the program shows it.
DialogTemplate ChildPanel(int id, Size size, std::vector<ControlTemplate> controls);
// A window of its own, hidden until the program shows it; a shown window appears as soon as it is made.
DialogTemplate Window(int id, Size size, std::string caption, std::vector<ControlTemplate> controls);
DialogTemplate ShownWindow(int id, Size size, std::string caption, std::vector<ControlTemplate> controls);

// One dialog unit is a quarter of the dialog font's average character width across and an eighth of its
// height down: 1.5 and 1.625 pixels for the 8-point font at 96 dpi, rounded to the nearest pixel.
constexpr int DialogUnitsToPixelsX(int units) { return (units * 3 + 1) / 2; }
constexpr int DialogUnitsToPixelsY(int units) { return (units * 13 + 4) / 8; }
Rect DialogUnitsToPixels(const Rect& units);

}  // namespace kelvane::ui
