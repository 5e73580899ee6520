#include "res/ResourceIds.h"
#include "res/Templates.h"

// The module panel and the CAM menu: their windows exist from the start, hidden, and are filled in as
// those panels are built.
namespace kelvane::res {

const ui::DialogTemplate& ModulePanelTemplate() {
    static const ui::DialogTemplate dialog = [] {
        ui::DialogTemplate t;
        t.id = kModulePanelDialog;
        t.size = {414, 338};
        t.child = true;
        return t;
    }();
    return dialog;
}

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
