#include "res/ResourceIds.h"
#include "res/Templates.h"

// Windows that only show a text: the message log, the firmware scan's report, the window's guide, and the
// About box, which waits for its OK.
namespace kelvane::res {
namespace {

using namespace ui;

DialogTemplate BuildTextWindow() {
    DialogTemplate t;
    t.id = kTextWindowDialog;
    t.size = {400, 260};
    t.controls = {
        // Read-only, but the operator selects and copies from it.
        {kTextWindowText,
         ControlKind::Edit,
         {3, 3, 394, 254},
         "",
         kVisible | kMultiLine | kReadOnly | kBorder | kVerticalScroll | kTabStop,
         {},
         0},
    };
    return t;
}

DialogTemplate BuildAboutBox() {
    DialogTemplate t;
    t.id = kAboutDialog;
    t.size = {260, 130};
    t.controls = {
        {kAboutPicture, ControlKind::PushButton, {7, 7, 28, 25}, "", kVisible, {}, kAppIcon},
        {kAboutText, ControlKind::Edit, {42, 7, 211, 96}, "", kVisible | kMultiLine | kReadOnly | kNoCaret, {}, 0},
        {kAboutOkButton, ControlKind::PushButton, {203, 108, 50, 15}, "OK", kVisible | kTabStop, {}, 0},
    };
    return t;
}

}  // namespace

const DialogTemplate& TextWindowTemplate() {
    static const DialogTemplate dialog = BuildTextWindow();
    return dialog;
}

const DialogTemplate& AboutBoxTemplate() {
    static const DialogTemplate dialog = BuildAboutBox();
    return dialog;
}

}  // namespace kelvane::res
