#include "tools/watch/WatchRound.h"

#include <algorithm>

namespace kelvane {

std::string LockWord(std::uint8_t lock) {
    switch (ReadLockState(lock)) {
    case LockState::NoLock: return "no lock";
    case LockState::Carrier: return "carrier";
    case LockState::Locked: return "locked";
    case LockState::Undefined: break;
    }
    return "state " + std::to_string(lock);
}

bool AllWell(const WatchRound& round) {
    return round.rackFound && !round.inUse &&
           std::all_of(round.modules.begin(), round.modules.end(), [](const ModuleReading& m) { return m.answered; }) &&
           std::all_of(round.inputs.begin(), round.inputs.end(),
                       [](const InputReading& i) { return !i.tuned || IsLocked(i); }) &&
           std::none_of(round.channels.begin(), round.channels.end(), OverCapacity);
}

}  // namespace kelvane
