#include "tools/watch/WatchAlarms.h"

#include "panel/StatusReplies.h"

namespace kelvane {
namespace {

std::string InputName(const InputReading& input) {
    return "row " + std::to_string(input.row) + " " + input.model + " input " + static_cast<char>('A' + input.input);
}

std::string ChannelName(const ChannelReading& channel) {
    return "row " + std::to_string(channel.row) + " " + channel.model + " channel " + std::to_string(channel.channel);
}

std::string Figures(const InputReading& input) {
    return LockWord(input.lock) + ", level " + std::to_string(input.level) + ", S.N.R. " + std::to_string(input.snr);
}

}  // namespace

std::vector<std::string> WatchAlarms::Next(const WatchRound& round) {
    std::vector<std::string> alarms;
    for (const ModuleReading& module : round.modules) JudgeModule(module, alarms);
    for (const InputReading& input : round.inputs) JudgeInput(input, alarms);
    for (const ChannelReading& channel : round.channels) JudgeChannel(channel, alarms);
    return alarms;
}

void WatchAlarms::JudgeModule(const ModuleReading& module, std::vector<std::string>& alarms) {
    const Key key{module.row, module.model, 0};
    const auto known = answering_.find(key);
    const std::string name = "row " + std::to_string(module.row) + " " + module.model;
    if (known == answering_.end()) {
        if (!module.answered) alarms.push_back(name + ": not answering");
    } else if (known->second != module.answered) {
        alarms.push_back(name + (module.answered ? ": answering again" : ": stopped answering"));
    }
    answering_[key] = module.answered;
}

void WatchAlarms::JudgeInput(const InputReading& input, std::vector<std::string>& alarms) {
    if (!input.tuned || !input.answered) return;
    const Key key{input.row, input.model, input.input};
    const bool locked = IsLocked(input);
    const auto known = locks_.find(key);
    if (known == locks_.end()) {
        if (!locked) alarms.push_back(InputName(input) + ": not locked (" + Figures(input) + ")");
        locks_[key] = {locked, locked};
        return;
    }
    LockHistory& history = known->second;
    if (history.locked && !locked) alarms.push_back(InputName(input) + ": lock lost (" + Figures(input) + ")");
    if (!history.locked && locked) {
        alarms.push_back(InputName(input) + (history.everLocked ? ": lock regained (" : ": locked (") + Figures(input) +
                         ")");
    }
    history.locked = locked;
    history.everLocked = history.everLocked || locked;
}

void WatchAlarms::JudgeChannel(const ChannelReading& channel, std::vector<std::string>& alarms) {
    if (!channel.answered) return;
    const Key key{channel.row, channel.model, channel.channel};
    const bool over = OverCapacity(channel);
    const auto known = overCapacity_.find(key);
    const bool was = known != overCapacity_.end() && known->second;
    const std::string rate = ChannelRateLabel({channel.inUse, channel.capacity});
    if (over && !was) alarms.push_back(ChannelName(channel) + ": rate above capacity (" + rate + ")");
    if (!over && was) alarms.push_back(ChannelName(channel) + ": rate within capacity again (" + rate + ")");
    overCapacity_[key] = over;
}

}  // namespace kelvane
