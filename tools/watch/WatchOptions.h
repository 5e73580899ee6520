#pragma once

#include "tools/watch/MetricsServer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace kelvane {

struct WatchOptions {
    std::uint32_t intervalMs = 1000;  // the module panel's own poll period
    bool json = false;
    std::string prometheusFile;  // empty: none
    bool once = false;
    std::vector<int> rows;  // empty: every pair
    std::optional<ListenAddress> listen;  // serve /metrics over HTTP there
};

// watch's options as typed, before they are checked.
struct WatchOptionTexts {
    std::string interval;
    bool json = false;
    std::string prometheus;
    bool once = false;
    std::string rows;
    std::string listen;
    bool all = false;  // every named entry of the port table: looked up where the table is read
};

// Declares watch's options on the command `watch` of the option parser, read into `texts`.
void AddWatchOptions(CLI::App& watch, WatchOptionTexts& texts);

// The options `watch` read, checked: false with the reason (naming the option) for a value out of its range.
bool TakeWatchOptions(const CLI::App& watch, const WatchOptionTexts& texts, WatchOptions& options, std::string& error);

// Reads the arguments after "watch": --interval SECONDS (0.1 to 86400, decimals allowed), --json,
// --prometheus FILE, --once, --rows 1,3,5, --listen [HOST:]PORT, --all; values as the next argument or after '='. False
// with a reason in `error` for anything else.
bool ParseWatchOptions(const std::vector<std::string>& args, WatchOptions& options, std::string& error);

}  // namespace kelvane
