#include "app/ProgramOptions.h"

#include <string_view>

namespace kelvane {
namespace {

constexpr std::string_view kTrace = "--trace";

}  // namespace

bool TakeProgramOptions(std::vector<std::string>& args, const std::string& environmentTrace, ProgramOptions& options,
                        std::string& error) {
    options.traceFile = environmentTrace;
    std::size_t taken = 0;
    while (taken < args.size()) {
        const std::string& arg = args[taken];
        if (arg == kTrace) {
            if (taken + 1 == args.size() || args[taken + 1].empty()) {
                error = "--trace needs a file name";
                return false;
            }
            options.traceFile = args[taken + 1];
            taken += 2;
        } else if (arg.starts_with(std::string(kTrace) + "=")) {
            options.traceFile = arg.substr(kTrace.size() + 1);
            if (options.traceFile.empty()) {
                error = "--trace needs a file name";
                return false;
            }
            ++taken;
        } else {
            break;
        }
    }
    args.erase(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(taken));
    return true;
}

}  // namespace kelvane
