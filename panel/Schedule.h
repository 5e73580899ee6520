#pragma once

#include "panel/PanelModel.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kelvane {

// Whether the window from `start` to `end` (minutes of the day) may join the schedule: it must not run backwards,
// and may begin at the minute an entry ends but not end at the minute one begins, nor enclose or cut into one.
bool ScheduleSlotFree(const PanelModel& m, std::uint32_t start, std::uint32_t end);

enum class ScheduleAdd {
    kRefused,  // the schedule is full, or no file was named: the module would play nothing
    kAdded,
    kAddedFirst,  // the schedule was empty: the caller tells the chained players
};

// Inserts the window in time order and marks the input image for rewriting.
ScheduleAdd AddScheduleEntry(PanelModel& m, std::uint32_t start, std::uint32_t end, const std::string& file);

// Removes the entries of the selected rows and marks the input image for rewriting; returns whether any went.
// The caller tells the chained players when this leaves the schedule empty.
bool RemoveScheduleEntries(PanelModel& m, const std::vector<int>& selectedRows);

// "8:05" for 485 minutes.
std::string ScheduleTimeText(std::uint32_t minutes);

// The file names of the player's file-list reply, in reply order, as far as the reply holds them.
std::vector<std::string> ParseFileList(std::span<const std::uint8_t> reply);

}  // namespace kelvane
