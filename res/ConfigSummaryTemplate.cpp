#include "res/ResourceIds.h"
#include "res/Templates.h"

namespace kelvane::res {
namespace {

using namespace ui;

// The summary of a loaded configuration file: its text on the left, OK and cancel at the bottom right.
DialogTemplate Build() {
    DialogTemplate t;
    t.id = kConfigSummaryDialog;
    t.size = {400, 219};
    t.caption = "KXRRack Configuration";
    t.visible = true;
    t.controls = {
        {kSummaryText,
         ControlKind::Edit,
         {6, 6, 330, 204},
         "",
         kVisible | kBorder | kMultiLine | kReadOnly | kVerticalScroll | kHorizontalScroll | kTabStop,
         {},
         0},
        {kSummaryOkButton, ControlKind::PushButton, {342, 180, 50, 14}, "OK", kVisible | kTabStop, {}, 0},
        {kSummaryCancelButton, ControlKind::PushButton, {342, 198, 50, 14}, "Annuler", kVisible | kTabStop, {}, 0},
    };
    return t;
}

}  // namespace

const DialogTemplate& ConfigSummaryTemplate() {
    static const DialogTemplate dialog = Build();
    return dialog;
}

}  // namespace kelvane::res
