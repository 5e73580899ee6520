#include "res/ResourceIds.h"
#include "res/Templates.h"

// Rack > Connect to: a list wide enough for a serial server's entry with its rack's name and the reason it gave.
namespace kelvane::res {
namespace {

using namespace ui;

DialogTemplate BuildConnectDialog() {
    DialogTemplate t;
    t.id = kConnectDialog;
    t.size = {400, 150};
    t.controls = {
        {kConnectList,
         ControlKind::ListBox,
         {7, 7, 386, 112},
         "",
         kVisible | kBorder | kVerticalScroll | kHorizontalScroll | kNotify | kTabStop,
         {},
         0},
        {kConnectOkButton, ControlKind::PushButton, {289, 128, 50, 15}, "", kVisible | kTabStop, {}, 0},
        {kConnectCancelButton, ControlKind::PushButton, {343, 128, 50, 15}, "", kVisible | kTabStop, {}, 0},
    };
    return t;
}

}  // namespace

const DialogTemplate& ConnectDialogTemplate() {
    static const DialogTemplate dialog = BuildConnectDialog();
    return dialog;
}

}  // namespace kelvane::res
