#include "tools/watch/WatchOutput.h"

#include "config/ConfigFile.h"
#include "platform/FileToolkit.h"
#include "tools/watch/MetricsServer.h"
#include "tools/watch/WatchJson.h"
#include "tools/watch/WatchOptions.h"
#include "tools/watch/WatchPrometheus.h"
#include "tools/watch/WatchText.h"

#include <algorithm>
#include <ostream>

namespace kelvane {
namespace {

constexpr std::size_t kAlarmsOnScreen = 8;
// Cursor to the top left, screen cleared: the table is drawn again in place.
constexpr const char* kRedraw = "\x1b[H\x1b[2J";

}  // namespace

bool MetricsSink::WriteText(const std::string& text, std::string& problem) {
    if (server_ != nullptr) server_->Publish(text);
    if (file_.empty()) return true;
    std::error_code why;
    const bool written = ReplaceFileAtomically(PathFromUtf8(file_),
                                               {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, why);
    if (!written && !fileFailing_) problem = "cannot write " + file_ + ": " + why.message();
    if (written && fileFailing_) problem = file_ + " written again";
    fileFailing_ = !written;
    return written;
}

SingleRackOutput::SingleRackOutput(std::ostream& out, std::ostream& err, bool terminal, const WatchOptions& options,
                                   MetricsServer* server)
    : out_(out), err_(err), terminal_(terminal), json_(options.json), metrics_(options.prometheusFile, server) {}

void SingleRackOutput::Alarm(const std::string& line) {
    err_ << line << '\n' << std::flush;
    latestAlarms_.push_back(line);
    if (latestAlarms_.size() > kAlarmsOnScreen) latestAlarms_.pop_front();
}

bool SingleRackOutput::Show(std::size_t rack, const WatchRound& round) {
    if (json_) {
        out_ << WatchJson(round) << '\n';
    } else if (terminal_) {
        out_ << kRedraw << WatchTable(round, {latestAlarms_.begin(), latestAlarms_.end()});
    } else {
        out_ << WatchLines(round, round.named);
    }
    out_ << std::flush;
    return Record(rack, round);
}

bool SingleRackOutput::Record(std::size_t, const WatchRound& round) {
    if (!metrics_.Wanted()) return true;
    return metrics_.Write(PrometheusText(round), [this, &round](const std::string& problem) {
        Alarm(WatchAlarmLine(round.time, round.named ? round.rack : std::string(), problem));
    });
}

SharedRackOutput::SharedRackOutput(std::ostream& out, std::ostream& err, std::size_t racks, const WatchOptions& options,
                                   MetricsServer* server)
    : out_(out),
      err_(err),
      json_(options.json),
      metrics_(options.prometheusFile, server),
      latest_(racks),
      fresh_(racks, false),
      interval_(options.intervalMs),
      once_(options.once) {}

void SharedRackOutput::Alarm(const std::string& line) {
    std::lock_guard lock(mutex_);
    err_ << line << '\n' << std::flush;
}

bool SharedRackOutput::Show(std::size_t rack, const WatchRound& round) {
    std::lock_guard lock(mutex_);
    out_ << (json_ ? WatchJson(round) + "\n" : WatchLines(round, true)) << std::flush;
    latest_.at(rack) = round;
    fresh_.at(rack) = true;
    return MetricsDue() ? WriteMetrics() : lastWriteOk_;
}

bool SharedRackOutput::Record(std::size_t rack, const WatchRound& round) {
    std::lock_guard lock(mutex_);
    latest_.at(rack) = round;
    fresh_.at(rack) = true;
    return MetricsDue() ? WriteMetrics() : lastWriteOk_;
}

bool SharedRackOutput::MetricsDue() const {
    if (!metrics_.Wanted()) return false;
    const bool everyRack = std::find(fresh_.begin(), fresh_.end(), false) == fresh_.end();
    return once_ || everyRack || std::chrono::steady_clock::now() - lastWritten_ >= interval_;
}

bool SharedRackOutput::WriteMetrics() {
    fresh_.assign(fresh_.size(), false);
    lastWritten_ = std::chrono::steady_clock::now();
    std::vector<WatchRound> rounds;
    rounds.reserve(latest_.size());
    for (const auto& round : latest_) {
        if (round) rounds.push_back(*round);
    }
    const std::time_t time = rounds.empty() ? 0 : rounds.back().time;
    lastWriteOk_ = metrics_.Write(PrometheusText(rounds), [this, time](const std::string& problem) {
        err_ << WatchAlarmLine(time, {}, problem) << '\n' << std::flush;
    });
    return lastWriteOk_;
}

}  // namespace kelvane
