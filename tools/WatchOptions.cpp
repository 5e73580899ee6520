#include "tools/WatchOptions.h"

#include "app/SlotTable.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace kelvane {
namespace {

constexpr double kMinIntervalSeconds = 0.1;
constexpr double kMaxIntervalSeconds = 86400;

std::optional<std::uint32_t> IntervalMs(const std::string& text) {
    double seconds = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seconds, std::chars_format::fixed);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || !(seconds >= kMinIntervalSeconds) ||
        seconds > kMaxIntervalSeconds) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(std::lround(seconds * 1000));
}

std::optional<std::vector<int>> Rows(const std::string& text) {
    std::vector<int> rows;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        int row = 0;
        const auto [end, ec] = std::from_chars(text.data() + start, text.data() + comma, row);
        if (comma == start || ec != std::errc{} || end != text.data() + comma || row < 1 ||
            row >= static_cast<int>(kSlotCount)) {
            return std::nullopt;
        }
        rows.push_back(row);
        start = comma + 1;
    }
    return rows;
}

bool TakeValue(const std::string& name, const std::string& value, WatchOptions& o, std::string& error) {
    if (name == "--interval") {
        const auto ms = IntervalMs(value);
        if (!ms) error = "--interval wants seconds from 0.1 to 86400, not '" + value + "'";
        if (ms) o.intervalMs = *ms;
        return ms.has_value();
    }
    if (name == "--prometheus") {
        if (value.empty()) error = "--prometheus wants a file";
        o.prometheusFile = value;
        return !value.empty();
    }
    const auto rows = Rows(value);
    if (!rows) error = "--rows wants row numbers from 1 to " + std::to_string(kSlotCount - 1) + " separated by commas, not '" + value + "'";
    if (rows) o.rows = *rows;
    return rows.has_value();
}

}  // namespace

bool ParseWatchOptions(const std::vector<std::string>& args, WatchOptions& options, std::string& error) {
    WatchOptions parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        if (!value && (name == "--json" || name == "--once")) {
            (name == "--json" ? parsed.json : parsed.once) = true;
            continue;
        }
        if (name != "--interval" && name != "--prometheus" && name != "--rows") {
            error = value ? "option " + name + " takes no value" : "unknown option '" + name + "'";
            return false;
        }
        if (!value) {
            if (i + 1 == args.size()) {
                error = "option " + name + " needs a value";
                return false;
            }
            value = args[++i];
        }
        if (!TakeValue(name, *value, parsed, error)) return false;
    }
    options = std::move(parsed);
    return true;
}

}  // namespace kelvane
