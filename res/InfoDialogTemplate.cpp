#include "res/ResourceIds.h"
#include "res/Templates.h"

namespace kelvane::res {
namespace {

using namespace ui;

DialogTemplate Build() {
    DialogTemplate t;
    t.id = kInfoDialog;
    t.size = {294, 35};
    t.child = true;
    t.visible = false;
    t.controls = {
        {kInfoText, ControlKind::Edit, {1, 0, 292, 23}, "", kVisible | kMultiLine | kCentered | kReadOnly | kTabStop | kNoCaret | kElideMiddle, {}, 0},
        {kInfoProgress, ControlKind::ProgressBar, {0, 28, 294, 7}, "", kSmooth | kBorder, {}, 0},
    };
    return t;
}

}  // namespace

const DialogTemplate& InfoDialogTemplate() {
    static const DialogTemplate dialog = Build();
    return dialog;
}

}  // namespace kelvane::res
