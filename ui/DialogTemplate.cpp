#include "ui/DialogTemplate.h"

namespace kelvane::ui {

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
