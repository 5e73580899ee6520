#pragma once

#include "panel/PanelModel.h"
#include "ui/Dialog.h"
#include "ui/Geometry.h"

#include <string>

namespace kelvane {

// How the service list shows a row: the window's side of the model's service rows.

// What column 0-17 of `row` shows; an empty cell for any other column.
ui::ListCell ServiceCell(const PanelModel& m, const ServiceRow& row, int column);

// What the picture of a cell means, in the operator's language; empty for a cell without one to explain.
std::string ServiceCellTip(const ui::ListCell& cell, int column);

// The text colour of a row, by the input that announces it.
ui::Color ServiceRowColor(const ServiceRow& row);

}  // namespace kelvane
