#include "res/ResourceIds.h"
#include "res/Templates.h"

namespace kelvane::res {

using namespace ui;

// The summary of a loaded configuration file: its text on the left, OK and cancel at the bottom right.
const DialogTemplate& ConfigSummaryTemplate() {
    static const DialogTemplate dialog = ShownWindow(
        kConfigSummaryDialog, {400, 219}, "KXRRack Configuration",
        {
            Edit(kSummaryText, {6, 6, 330, 204},
                 kVisible | kBorder | kMultiLine | kReadOnly | kVerticalScroll | kHorizontalScroll | kTabStop),
            Button(kSummaryOkButton, {342, 180, 50, 14}, "OK"),
            Button(kSummaryCancelButton, {342, 198, 50, 14}, "Annuler"),
        });
    return dialog;
}

}  // namespace kelvane::res
