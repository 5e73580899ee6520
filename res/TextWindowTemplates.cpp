#include "res/ResourceIds.h"
#include "res/Templates.h"

// Windows that only show a text: the message log, the firmware scan's report, the window's guide, and the
// About box, which waits for its OK.
namespace kelvane::res {

using namespace ui;

const DialogTemplate& TextWindowTemplate() {
    // Read-only, but the operator selects and copies from it.
    static const DialogTemplate dialog =
        Window(kTextWindowDialog, {400, 260}, "",
               {
                   Edit(kTextWindowText, {3, 3, 394, 254},
                        kVisible | kMultiLine | kReadOnly | kBorder | kVerticalScroll | kTabStop),
               });
    return dialog;
}

const DialogTemplate& AboutBoxTemplate() {
    static const DialogTemplate dialog =
        Window(kAboutDialog, {260, 130}, "",
               {
                   IconButton(kAboutPicture, {7, 7, 28, 25}, kAppIcon, kVisible),
                   Edit(kAboutText, {42, 7, 211, 96}, kVisible | kMultiLine | kReadOnly | kNoCaret),
                   Button(kAboutOkButton, {203, 108, 50, 15}, "OK"),
               });
    return dialog;
}

}  // namespace kelvane::res
