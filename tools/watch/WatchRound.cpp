#include "tools/watch/WatchRound.h"

#include <algorithm>

namespace kelvane {

std::string LockWord(std::uint8_t lock) {
    switch (lock) {
        case 0: return "no lock";
        case 1: return "carrier";
        case kLockedState: return "locked";
        default: return "state " + std::to_string(lock);
    }
}

bool AllWell(const WatchRound& round) {
    return round.rackFound &&
           std::all_of(round.modules.begin(), round.modules.end(), [](const ModuleReading& m) { return m.answered; }) &&
           std::all_of(round.inputs.begin(), round.inputs.end(),
                       [](const InputReading& i) { return !i.tuned || IsLocked(i); }) &&
           std::none_of(round.channels.begin(), round.channels.end(), OverCapacity);
}

}  // namespace kelvane
