#include "res/ResourceIds.h"
#include "res/Templates.h"

// Rack > Connect to: a list wide enough for a serial server's entry with its rack's name and the reason it gave.
namespace kelvane::res {

using namespace ui;

const DialogTemplate& ConnectDialogTemplate() {
    static const DialogTemplate dialog =
        Window(kConnectDialog, {400, 150}, "",
               {
                   ListBox(kConnectList, {7, 7, 386, 112}, kListBoxStyle | kHorizontalScroll),
                   Button(kConnectOkButton, {289, 128, 50, 15}, ""),
                   Button(kConnectCancelButton, {343, 128, 50, 15}, ""),
               });
    return dialog;
}

}  // namespace kelvane::res
