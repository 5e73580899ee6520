#include "tools/watch/WatchText.h"

#include "panel/StatusReplies.h"
#include "tools/common/UtcTime.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace kelvane {
namespace {

std::string InputState(const InputReading& input) {
    if (!input.answered) return "no answer";
    return input.tuned ? LockWord(input.lock) : "not tuned";
}

std::string ChannelState(const ChannelReading& channel) {
    if (!channel.answered) return "no answer";
    return ChannelRateLabel({channel.inUse, channel.capacity}) + (OverCapacity(channel) ? " OVER" : "");
}

std::string TableLine(int row, const std::string& model, const std::string& what, const std::string& lock,
                      const std::string& level, const std::string& snr, const std::string& rate, int services) {
    char line[256];
    std::snprintf(line, sizeof line, "%3d  %-7s  %-9s  %-9s  %5s  %6s  %-24s  %8d\n", row, model.c_str(), what.c_str(),
                  lock.c_str(), level.c_str(), snr.c_str(), rate.c_str(), services);
    return line;
}

std::string InputLabel(const InputReading& input) {
    return std::string("input ") + static_cast<char>('A' + input.input);
}

std::string Where(int row, const std::string& model) { return "row " + std::to_string(row) + " " + model; }

std::string Services(std::size_t count) { return std::to_string(count) + (count == 1 ? " service" : " services"); }

// Lines in row order, so that each input is followed by the channels of its output.
class RowOrdered {
public:
    void Add(int row, std::string line) { lines_.emplace_back(row, std::move(line)); }
    std::string Text() {
        std::stable_sort(lines_.begin(), lines_.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        std::string text;
        for (const auto& line : lines_) text += line.second;
        return text;
    }

private:
    std::vector<std::pair<int, std::string>> lines_;
};

// Where the rack is, or why it was not polled.
std::string RackState(const WatchRound& round) {
    const std::string rack = round.port.empty() ? "rack" : "rack on " + round.port;
    if (round.inUse) return rack + ": in use by another program";
    return round.rackFound ? rack : std::string("rack lost: searching");
}

}  // namespace

std::string WatchTable(const WatchRound& round, const std::vector<std::string>& latestAlarms) {
    std::string text = UtcTimestamp(round.time) + "  " + (round.named ? "[" + round.rack + "] " : std::string()) +
                       RackState(round) + "  poll failures " + std::to_string(round.pollFailures) + "\n\n";
    text += "row  model    what       lock       level  s.n.r.  rate/capacity             services\n";
    RowOrdered lines;
    for (const InputReading& input : round.inputs) {
        const bool figures = input.answered;
        lines.Add(input.row, TableLine(input.row, input.model, InputLabel(input), InputState(input),
                                       figures ? std::to_string(input.level) : "-",
                                       figures ? std::to_string(input.snr) : "-", "", input.services));
    }
    for (const ChannelReading& channel : round.channels) {
        lines.Add(channel.row, TableLine(channel.row, channel.model, "channel " + std::to_string(channel.channel), "",
                                         "", "", ChannelState(channel), static_cast<int>(channel.services.size())));
    }
    text += lines.Text();
    if (!latestAlarms.empty()) {
        text += "\nlatest alarms:\n";
        for (const std::string& alarm : latestAlarms) text += "  " + alarm + "\n";
    }
    return text;
}

std::string WatchAlarmLine(std::time_t time, const std::string& rack, const std::string& text) {
    return UtcTimestamp(time) + " " + (rack.empty() ? std::string() : "[" + rack + "] ") + text;
}

std::string WatchLines(const WatchRound& round, bool withRack) {
    const std::string time = UtcTimestamp(round.time) + " " + (withRack ? "[" + round.rack + "] " : std::string());
    if (round.inUse || !round.rackFound) return time + RackState(round) + "\n";
    RowOrdered lines;
    for (const InputReading& input : round.inputs) {
        std::string line = time + Where(input.row, input.model) + " " + InputLabel(input) + ": " + InputState(input);
        if (input.answered) {
            line += ", level " + std::to_string(input.level) + ", S.N.R. " + std::to_string(input.snr) + ", " +
                    Services(static_cast<std::size_t>(input.services));
        }
        lines.Add(input.row, line + "\n");
    }
    for (const ChannelReading& channel : round.channels) {
        lines.Add(channel.row, time + Where(channel.row, channel.model) + " channel " +
                                   std::to_string(channel.channel) + ": " + ChannelState(channel) + ", " +
                                   Services(channel.services.size()) + "\n");
    }
    return lines.Text();
}

}  // namespace kelvane
