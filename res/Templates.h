#pragma once

#include "ui/DialogTemplate.h"

namespace kelvane::res {

// The program's dialog templates, built once and kept for its life.
const ui::DialogTemplate& MainDialogTemplate();
const ui::DialogTemplate& InfoDialogTemplate();
const ui::DialogTemplate& ModulePanelTemplate();
const ui::DialogTemplate& CamDialogTemplate();
const ui::DialogTemplate& ConfigSummaryTemplate();

}  // namespace kelvane::res
