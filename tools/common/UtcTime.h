#pragma once

#include <ctime>
#include <string>

namespace kelvane {

// A moment as ISO 8601 in UTC, to the second: "2026-12-07T11:40:01Z". Watch lines and alarms carry it, so that
// logs from machines in other time zones line up.
std::string UtcTimestamp(std::time_t seconds);

}  // namespace kelvane
