#include "tools/watch/WatchOptions.h"

#include "app/SlotTable.h"
#include "tools/common/OptionErrors.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cmath>
#include <optional>

namespace kelvane {
namespace {

constexpr double kMinIntervalSeconds = 0.1;
constexpr double kMaxIntervalSeconds = 86400;

std::optional<std::uint32_t> IntervalMs(const std::string& text) {
    return SecondsAsMs(text, kMinIntervalSeconds, kMaxIntervalSeconds);
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

// `value` of the option `name`, checked and kept in `o`; false with the reason.
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
    if (name == "--listen") {
        ListenAddress address;
        if (!ParseListenAddress(value, address, error)) return false;
        if (!MetricsServerAvailable()) error = "--listen is not available in this build; use --prometheus FILE";
        o.listen = address;
        return MetricsServerAvailable();
    }
    const auto rows = Rows(value);
    if (!rows)
        error = "--rows wants row numbers from 1 to " + std::to_string(kSlotCount - 1) + " separated by commas, not '" +
                value + "'";
    if (rows) o.rows = *rows;
    return rows.has_value();
}

}  // namespace

void AddWatchOptions(CLI::App& watch, WatchOptionTexts& texts) {
    watch.add_option("--interval", texts.interval, "poll every SECONDS, from 0.1 to 86400 (default 1)")
        ->type_name("SECONDS");
    watch.add_flag("--json", texts.json, "one JSON object a round instead of the table or lines")
        ->disable_flag_override();
    watch
        .add_option("--prometheus", texts.prometheus,
                    "write FILE in the Prometheus text format after each round (node_exporter's textfile collector)")
        ->type_name("FILE");
    watch
        .add_flag("--once", texts.once,
                  "make one round; exit 10 unless every input is locked, every module answers "
                  "and every channel is within its capacity")
        ->disable_flag_override();
    watch.add_option("--rows", texts.rows, "watch the pairs of these rows alone, e.g. 1,3,5")->type_name("ROWS");
    watch
        .add_option("--listen", texts.listen,
                    "serve the metrics at http://HOST:PORT/metrics for Prometheus to scrape; HOST is 127.0.0.1 unless "
                    "given (an address, not a name)")
        ->type_name("[HOST:]PORT");
    watch.add_flag("--all", texts.all, "watch every rack the port table names (NAME @ ENTRY)")->disable_flag_override();
}

bool TakeWatchOptions(const CLI::App& watch, const WatchOptionTexts& texts, WatchOptions& options, std::string& error) {
    WatchOptions taken;
    taken.json = texts.json;
    taken.once = texts.once;
    const std::pair<const char*, const std::string*> values[] = {{"--interval", &texts.interval},
                                                                 {"--prometheus", &texts.prometheus},
                                                                 {"--rows", &texts.rows},
                                                                 {"--listen", &texts.listen}};
    for (const auto& [name, value] : values) {
        if (watch.count(name) != 0 && !TakeValue(name, *value, taken, error)) return false;
    }
    options = std::move(taken);
    return true;
}

bool ParseWatchOptions(const std::vector<std::string>& args, WatchOptions& options, std::string& error) {
    CLI::App watch("", "watch");
    watch.allow_extras();
    WatchOptionTexts texts;
    AddWatchOptions(watch, texts);
    const ParseOutcome outcome = ParseOptions(watch, args, error);
    if (outcome == ParseOutcome::HelpAsked) error = "--help is answered by kelvane-cli watch --help";
    if (outcome != ParseOutcome::Parsed) return false;
    return TakeWatchOptions(watch, texts, options, error);
}

}  // namespace kelvane
