#pragma once

#include "tools/watch/WatchRound.h"

#include <chrono>
#include <deque>
#include <iosfwd>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kelvane {

class MetricsServer;

// Where watch's metrics go after each round: the Prometheus file, rewritten whole and atomically, and the HTTP
// server's /metrics. A file that cannot be written is told once, and once more when it can be again.
class MetricsSink {
public:
    MetricsSink(std::string file, MetricsServer* server) : file_(std::move(file)), server_(server) {}

    // Whether there is anywhere to write: without, the text need not be made.
    bool Wanted() const { return !file_.empty() || server_ != nullptr; }

    // `text` published; false when the file could not be written, with `alarm` saying so.
    template <typename Alarm>
    bool Write(const std::string& text, Alarm alarm) {
        std::string problem;
        const bool written = WriteText(text, problem);
        if (!problem.empty()) alarm(problem);
        return written;
    }

private:
    bool WriteText(const std::string& text, std::string& problem);

    std::string file_;  // empty: none
    MetricsServer* server_;
    bool fileFailing_ = false;
};

// What a watch shows: each round of a rack, and alarms with their time. The rack is said by its index among
// the racks watched.
class WatchOutput {
public:
    virtual ~WatchOutput() = default;
    virtual void Alarm(const std::string& line) = 0;
    // The round shown and its metrics written; false when the metrics file could not be written.
    virtual bool Show(std::size_t rack, const WatchRound& round) = 0;
    // The metrics alone: a rack not found at the start of a single round.
    virtual bool Record(std::size_t rack, const WatchRound& round) = 0;
};

struct WatchOptions;

// One rack, on its own: the table redrawn on a terminal with the latest alarms under it, lines otherwise, or
// JSON; alarms on the error stream.
class SingleRackOutput final : public WatchOutput {
public:
    SingleRackOutput(std::ostream& out, std::ostream& err, bool terminal, const WatchOptions& options,
                     MetricsServer* server);
    void Alarm(const std::string& line) override;
    bool Show(std::size_t rack, const WatchRound& round) override;
    bool Record(std::size_t rack, const WatchRound& round) override;

private:
    std::ostream& out_;
    std::ostream& err_;
    bool terminal_;
    bool json_;
    MetricsSink metrics_;
    std::deque<std::string> latestAlarms_;
};

// Many racks, each on its own thread, into one output: lines (each with its rack) or JSON, one metrics text
// holding every rack's latest round. Whatever a thread hands it is written whole under one lock. The metrics
// are written once every rack has had a round since they were last, or an interval after that at the latest
// (a rack being searched for holds no other up): a text of every rack rewritten after each rack's round would
// cost as many times more as there are racks.
class SharedRackOutput final : public WatchOutput {
public:
    SharedRackOutput(std::ostream& out, std::ostream& err, std::size_t racks, const WatchOptions& options,
                     MetricsServer* server);
    void Alarm(const std::string& line) override;
    bool Show(std::size_t rack, const WatchRound& round) override;
    bool Record(std::size_t rack, const WatchRound& round) override;

private:
    bool WriteMetrics();
    bool MetricsDue() const;

    std::mutex mutex_;
    std::ostream& out_;
    std::ostream& err_;
    bool json_;
    MetricsSink metrics_;
    std::vector<std::optional<WatchRound>> latest_;
    std::vector<bool> fresh_;  // a round since the metrics were last written
    std::chrono::milliseconds interval_;
    bool once_;  // one round each: every rack's is written, so that the file ends up holding them all
    std::chrono::steady_clock::time_point lastWritten_{};
    bool lastWriteOk_ = true;
};

}  // namespace kelvane
