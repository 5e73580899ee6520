#include "res/ResourceIds.h"
#include "res/Templates.h"

namespace kelvane::res {

using namespace ui;

// As wide as the room beside the module list, so that a message of two lines fits whole.
const DialogTemplate& InfoDialogTemplate() {
    static const DialogTemplate dialog =
        ChildPanel(kInfoDialog, {412, 35},
                   {
                       Edit(kInfoText, {1, 0, 410, 28},
                            kVisible | kMultiLine | kCentered | kReadOnly | kTabStop | kNoCaret | kElideMiddle),
                       ProgressBar(kInfoProgress, {0, 29, 412, 6}, kSmooth | kBorder),
                   });
    return dialog;
}

}  // namespace kelvane::res
