#include "res/ResourceIds.h"
#include "res/Templates.h"

// The CAM menu: its window exists from the start, hidden.
namespace kelvane::res {

const ui::DialogTemplate& CamDialogTemplate() {
    static const ui::DialogTemplate dialog = [] {
        ui::DialogTemplate t;
        t.id = kCamDialog;
        t.size = {418, 224};
        t.child = true;
        return t;
    }();
    return dialog;
}

}  // namespace kelvane::res
