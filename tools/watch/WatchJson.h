#pragma once

#include "tools/watch/WatchRound.h"

#include <string>
#include <string_view>

namespace kelvane {

// A round as one JSON object on one line (no line end): time, rack (its name or entry, whether found, its port),
// modules, inputs, channels with the services placed on each, poll failures and whether all is well.
std::string WatchJson(const WatchRound& round);

// `text` as a JSON string with its quotes. Bytes that are not UTF-8 become U+FFFD, so that the line stays
// valid whatever a port's name or a module's text holds.
std::string JsonString(std::string_view text);

}  // namespace kelvane
