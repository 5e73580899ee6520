#pragma once

#include "panel/StatusReplies.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace kelvane {

// What one poll round of kelvane-cli watch saw, module by module: the figures the module panel shows.
struct ModuleReading {
    int row = 0;
    std::string model;
    bool answered = false;
};

// One input row of an input module. A row tuned to no satellite carrier (outside the band, or no symbol rate)
// cannot lock and is left out of alarms and of the all-well verdict.
struct InputReading {
    int row = 0;
    std::string model;
    int input = 0;  // 0, 1, 2: A, B, C
    bool tuned = false;
    bool answered = false;
    std::uint8_t lock = 0;  // the byte as the module sent it: see LockState
    std::uint8_t level = 0;
    std::uint8_t snr = 0;
    int services = 0;  // services the input announces
};

struct ServiceReading {
    std::uint16_t id = 0;
    std::string name;  // UTF-8; empty when no input announces it
    std::uint16_t rate = 0;  // as the output module reports it
};

// One channel of an output module; rates in bits per second.
struct ChannelReading {
    int row = 0;
    std::string model;
    int channel = 1;  // 1-4
    bool answered = false;
    std::uint32_t inUse = 0;
    std::uint32_t capacity = 0;
    std::vector<ServiceReading> services;  // those placed on the channel
};

struct WatchRound {
    std::time_t time = 0;
    bool rackFound = false;  // false: the rack stopped answering during the round, or has not been found
    // Another program held the line (a lock, or a serial server's other client): nothing was polled, and the rack
    // and its modules stand as last known, without figures.
    bool inUse = false;
    std::string port;  // where the rack answers
    std::string rack;  // which rack: the name the operator gave it, else its port-table entry
    bool named = false;  // whether `rack` is a name the operator gave
    std::uint32_t durationMs = 0;  // how long the round took
    std::vector<ModuleReading> modules;
    std::vector<InputReading> inputs;
    std::vector<ChannelReading> channels;
    std::uint64_t pollFailures = 0;  // requests that failed all their tries, and rounds missed, since the start
};

inline bool IsLocked(const InputReading& input) {
    return input.answered && ReadLockState(input.lock) == LockState::Locked;
}
inline bool OverCapacity(const ChannelReading& channel) { return channel.answered && channel.inUse > channel.capacity; }

// "locked", "carrier" (found, not yet locked), "no lock", or "state N" for a state modules do not define.
std::string LockWord(std::uint8_t lock);

// The round reached the rack, every module answered, every tuned input is locked and every channel within its
// capacity.
bool AllWell(const WatchRound& round);

}  // namespace kelvane
