#pragma once

#include "ui/DialogTemplate.h"

namespace kelvane::res {

// The program's dialog templates, built once and kept for its life.
const ui::DialogTemplate& MainDialogTemplate();
const ui::DialogTemplate& InfoDialogTemplate();
const ui::DialogTemplate& ModulePanelTemplate();
const ui::DialogTemplate& CamDialogTemplate();
const ui::DialogTemplate& ConfigSummaryTemplate();
// The signal history of a pair with `inputRows` input rows (1-3) and `channels` output channels (0-4): its charts
// share the window between them, inputs on the left, channels on the right.
ui::DialogTemplate HistoryWindowTemplate(int inputRows, int channels);
// A window of its own that shows a text to read, select and copy; and the About box.
const ui::DialogTemplate& TextWindowTemplate();
const ui::DialogTemplate& AboutBoxTemplate();
// Rack > Connect to: the racks to choose from, and its two buttons.
const ui::DialogTemplate& ConnectDialogTemplate();

}  // namespace kelvane::res
