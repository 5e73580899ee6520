#include "ui/DialogTemplate.h"

#include <utility>

namespace kelvane::ui {

ControlTemplate Caption(int id, Rect rect, std::string text, std::uint32_t style) {
    return {id, ControlKind::Static, rect, std::move(text), style, {}, 0};
}

ControlTemplate Edit(int id, Rect rect, std::uint32_t style) { return {id, ControlKind::Edit, rect, "", style, {}, 0}; }

ControlTemplate Button(int id, Rect rect, std::string caption, std::uint32_t style) {
    return {id, ControlKind::PushButton, rect, std::move(caption), style, {}, 0};
}

ControlTemplate IconButton(int id, Rect rect, int icon, std::uint32_t style) {
    return {id, ControlKind::PushButton, rect, "", style, {}, icon};
}

ControlTemplate CheckBox(int id, Rect rect, std::string caption) {
    return {id, ControlKind::CheckBox, rect, std::move(caption), kVisible | kTabStop, {}, 0};
}

ControlTemplate ComboBox(int id, Rect rect, std::vector<std::string> items, std::uint32_t style) {
    return {id, ControlKind::ComboBox, rect, "", style, std::move(items), 0};
}

ControlTemplate ListBox(int id, Rect rect, std::uint32_t style, std::vector<std::string> items) {
    return {id, ControlKind::ListBox, rect, "", style, std::move(items), 0};
}

ControlTemplate ListView(int id, Rect rect, std::uint32_t style) {
    return {id, ControlKind::ListView, rect, "", style, {}, 0};
}

ControlTemplate ProgressBar(int id, Rect rect, std::uint32_t style) {
    return {id, ControlKind::ProgressBar, rect, "", style, {}, 0};
}

ControlTemplate Picture(int id, Rect rect, int bitmap, std::uint32_t style) {
    return {id, ControlKind::Picture, rect, "", style, {}, bitmap};
}

ControlTemplate GroupBox(int id, Rect rect, std::string caption) {
    return {id, ControlKind::GroupBox, rect, std::move(caption), kVisible, {}, 0};
}

ControlTemplate Plain(int id, ControlKind kind, Rect rect) {
    const bool takesTab = kind == ControlKind::TrackBar || kind == ControlKind::TimePicker;
    return {id, kind, rect, "", takesTab ? kVisible | kTabStop : kVisible, {}, 0};
}

DialogTemplate ChildPanel(int id, Size size, std::vector<ControlTemplate> controls) {
    return {.id = id, .size = size, .child = true, .controls = std::move(controls)};
}

DialogTemplate Window(int id, Size size, std::string caption, std::vector<ControlTemplate> controls) {
    return {.id = id, .size = size, .caption = std::move(caption), .controls = std::move(controls)};
}

DialogTemplate ShownWindow(int id, Size size, std::string caption, std::vector<ControlTemplate> controls) {
    DialogTemplate t = Window(id, size, std::move(caption), std::move(controls));
    t.visible = true;
    return t;
}

const ControlTemplate* DialogTemplate::Find(int controlId) const {
    for (const ControlTemplate& control : controls) {
        if (control.id == controlId) return &control;
    }
    return nullptr;
}

Rect DialogUnitsToPixels(const Rect& units) {
    return {DialogUnitsToPixelsX(units.x), DialogUnitsToPixelsY(units.y), DialogUnitsToPixelsX(units.width),
            DialogUnitsToPixelsY(units.height)};
}

}  // namespace kelvane::ui
