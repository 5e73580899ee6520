#pragma once

#include "tools/watch/WatchRound.h"

#include <string>
#include <vector>

namespace kelvane {

// A round as a table, one line per input and per output channel (row, model, lock, level, S.N.R.,
// rate/capacity, services), headed by the rack's port and the time and followed by the latest alarms: the
// screen kelvane-cli watch redraws in place on a terminal.
std::string WatchTable(const WatchRound& round, const std::vector<std::string>& latestAlarms);

// An alarm as watch tells it: the time, the rack in brackets when `rack` is not empty, the text.
std::string WatchAlarmLine(std::time_t time, const std::string& rack, const std::string& text);

// A round as plain lines to append to a log, each starting with the time and, `withRack`, the rack in brackets.
std::string WatchLines(const WatchRound& round, bool withRack = false);

}  // namespace kelvane
