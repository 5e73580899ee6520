#pragma once

#include "panel/PanelModel.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvane {

// Columns of the service list.
constexpr int kServiceColumnCount = 18;
constexpr int kFirstCamColumn = 7;
constexpr int kLastCamColumn = 10;
constexpr int kFirstChannelColumn = 11;
constexpr int kLastChannelColumn = 14;
constexpr int kLcnColumn = 15;
constexpr int kHdLcnColumn = 16;

// Images of the list's image list.
enum ServiceImage : int {
    kTelevisionImage = 0,
    kChannelSelectedImage = 1,
    kRadioImage = 2,
    kCamSelectedImage = 3,
    kChannelNotSelectedImage = 4,
    kClosedPadlockImage = 5,
    kNotSelectedImage = 6,
    kOpenPadlockImage = 7,
    kNotApplicableImage = 8,
    kPlayImage = 9,
};

// The input rows of the pair (1 to 3), whether it has an output, and whether a row is the service the player
// plays on.
int InputRows(const PanelModel& m);
bool HasOutput(const PanelModel& m);
bool IsPlayerService(const PanelModel& m, const ServiceRow& row);

// Gathers the rows of the service list from the announced, input, output and player services, and finds
// PlayerServiceSource. Services beyond the 192 rows are left out of the list.
void BuildServiceList(PanelModel& m);

// A double-click on CAM column `camNumber` (1-4) of `clickedRow`: sets the CAM of every selected row that an
// input announces. `refusedUnidentified` tells whether a selected row was announced by no input, for the
// caller's message. The player's own row has no input table to go to and is passed over. Returns whether a row
// was set, in which case both dirty flags are set and the list is rebuilt.
bool ToggleCam(PanelModel& m, int clickedRow, int camNumber, const std::vector<int>& selectedRows,
               bool& refusedUnidentified);

// A double-click on channel column `channel` (1-4) of `clickedRow`: sets the output channel of every selected
// row when there is an output or the input is the player, telling the chained players first. A service that no
// longer fits OutputServices is passed over, the chained players not told. Returns whether any row was
// selected, in which case both dirty flags are set and the list is rebuilt.
bool ToggleChannel(PanelModel& m, int clickedRow, int channel, const std::vector<int>& selectedRows,
                   const std::function<void(std::uint16_t serviceId, int newChannel)>& updateChainedPlayers);

// The text the in-place editor of an LCN column starts with.
std::string LcnEditText(const ServiceRow& row, int column);

enum class LcnEdit {
    kStored,
    kOutOfRange,  // a number the descriptors cannot carry: nothing stored
    kNothing,  // cancelled, another column, or the service is no longer listed
};

// The end of an in-place edit of the LCN or HD LCN column of the service `serviceId` (the edit follows the
// service, not the row, which a rebuilt list may have given to another): stores the number typed, 0 when none
// parses. A number above 1023 is refused, `typed` then tells it. A cancelled edit (no text) stores nothing.
LcnEdit ApplyLcnEdit(PanelModel& m, std::uint16_t serviceId, int column, const std::optional<std::string>& text,
                     int& typed);

}  // namespace kelvane
