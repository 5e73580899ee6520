#pragma once

#include "tools/watch/WatchRound.h"

#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace kelvane {

// Turns what changed from one round to the next into alarm texts, without the time: an input that loses or
// regains its lock, a channel whose rate goes above its capacity or back within it, a module that stops
// answering or answers again. The first round a module, input or channel is seen in reports what is already
// wrong with it. Inputs tuned to no carrier and the inputs of a module that did not answer are not judged.
class WatchAlarms {
public:
    std::vector<std::string> Next(const WatchRound& round);

private:
    // Row, model and input or channel: a module of another model in the same row is another module.
    using Key = std::tuple<int, std::string, int>;
    struct LockHistory {
        bool locked = false;
        bool everLocked = false;
    };

    void JudgeModule(const ModuleReading& module, std::vector<std::string>& alarms);
    void JudgeInput(const InputReading& input, std::vector<std::string>& alarms);
    void JudgeChannel(const ChannelReading& channel, std::vector<std::string>& alarms);

    std::map<Key, bool> answering_;
    std::map<Key, LockHistory> locks_;
    std::map<Key, bool> overCapacity_;
};

}  // namespace kelvane
