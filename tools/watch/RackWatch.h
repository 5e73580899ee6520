#pragma once

#include "app/ModulePairs.h"
#include "app/SlotTable.h"
#include "panel/PairPoller.h"
#include "panel/PanelModel.h"
#include "tools/watch/WatchRound.h"

#include <cstdint>
#include <ctime>
#include <vector>

namespace kelvane {

class CXmit;

// The pairs to watch: the pair of every input module, or only those of the rows named (an input's or an
// output's row; each pair once, in row order). Named rows that belong to no pair go to `unpaired`.
std::vector<ModulePair> PairsToWatch(const SlotTable& slots, const std::vector<int>& rows, std::vector<int>& unpaired);

// Polls module pairs round after round with the module panel's PairPoller, into a WatchRound. A status or rate
// request that fails all its tries counts as a poll failure; the rack controller is then asked whether it
// still answers, and when it does not the round ends there, without the rack. The link's lost flag is left
// cleared after a round that kept the rack.
class RackWatch {
public:
    RackWatch(CXmit& link, const SlotTable& slots, const std::vector<ModulePair>& pairs);

    WatchRound Poll(std::time_t now);

    // Requests that failed all their tries since this watch began.
    std::uint64_t PollFailures() const;

private:
    struct Watched {
        ModulePair pair;
        PanelModel model;
        PairPoller poller;
    };

    bool PollPair(Watched& w, WatchRound& round);
    bool PollInput(Watched& w, WatchRound& round);
    bool PollOutput(Watched& w, WatchRound& round);
    bool RackAnswers();

    CXmit& link_;
    SlotTable slots_;
    std::vector<Watched> watched_;
};

}  // namespace kelvane
