#include "res/ResourceIds.h"
#include "res/Templates.h"

namespace kelvane::res {
namespace {

using namespace ui;

DialogTemplate Build() {
    DialogTemplate t;
    t.id = kInfoDialog;
    // As wide as the room beside the module list, so that a message of two lines fits whole.
    t.size = {412, 35};
    t.child = true;
    t.visible = false;
    t.controls = {
        {kInfoText,
         ControlKind::Edit,
         {1, 0, 410, 28},
         "",
         kVisible | kMultiLine | kCentered | kReadOnly | kTabStop | kNoCaret | kElideMiddle,
         {},
         0},
        {kInfoProgress, ControlKind::ProgressBar, {0, 29, 412, 6}, "", kSmooth | kBorder, {}, 0},
    };
    return t;
}

}  // namespace

const DialogTemplate& InfoDialogTemplate() {
    static const DialogTemplate dialog = Build();
    return dialog;
}

}  // namespace kelvane::res
