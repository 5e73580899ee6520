#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvane {

struct WatchOptions {
    std::uint32_t intervalMs = 1000;  // the module panel's own poll period
    bool json = false;
    std::string prometheusFile;  // empty: none
    bool once = false;
    std::vector<int> rows;  // empty: every pair
};

// Reads the arguments after "watch": --interval SECONDS (0.1 to 86400, decimals allowed), --json,
// --prometheus FILE, --once, --rows 1,3,5; values as the next argument or after '='. False with a reason in
// `error` for anything else.
bool ParseWatchOptions(const std::vector<std::string>& args, WatchOptions& options, std::string& error);

}  // namespace kelvane
