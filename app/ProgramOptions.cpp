#include "app/ProgramOptions.h"

#include <string_view>

namespace kelvane {

const char* const kTraceNeedsFileText = "--trace needs a file name";
const char* const kPortNeedsEntryText = "--port needs a port entry (a device, tcp:HOST:PORT or rfc2217:HOST:PORT)";
const char* const kRackNeedsNameText = "--rack needs a rack's name (as the port table gives it: NAME @ ENTRY)";

namespace {

struct ValueOption {
    std::string_view name;
    std::string ProgramOptions::*value;
    const char* missing;
};

const ValueOption kOptions[] = {
    {"--trace", &ProgramOptions::traceFile, kTraceNeedsFileText},
    {"--port", &ProgramOptions::portEntry, kPortNeedsEntryText},
    {"--rack", &ProgramOptions::rackName, kRackNeedsNameText},
};

// How many arguments the option at `args[at]` takes (0 when it is none of ours); -1 when its value is missing.
int TakeOne(const std::vector<std::string>& args, std::size_t at, ProgramOptions& options, std::string& error) {
    const std::string& arg = args[at];
    for (const ValueOption& option : kOptions) {
        std::string value;
        int taken = 0;
        if (arg == option.name) {
            if (at + 1 < args.size()) value = args[at + 1];
            taken = 2;
        } else if (arg.size() > option.name.size() && arg.starts_with(option.name) && arg[option.name.size()] == '=') {
            value = arg.substr(option.name.size() + 1);
            taken = 1;
        } else {
            continue;
        }
        if (value.empty()) {
            error = option.missing;
            return -1;
        }
        options.*option.value = value;
        return taken;
    }
    return 0;
}

}  // namespace

bool TakeProgramOptions(std::vector<std::string>& args, const std::string& environmentTrace, ProgramOptions& options,
                        std::string& error) {
    options.traceFile = environmentTrace;
    std::size_t taken = 0;
    while (taken < args.size()) {
        const int n = TakeOne(args, taken, options, error);
        if (n < 0) return false;
        if (n == 0) break;
        taken += static_cast<std::size_t>(n);
    }
    args.erase(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(taken));
    return true;
}

}  // namespace kelvane
