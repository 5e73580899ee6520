#pragma once

#include "app/ModulePairs.h"
#include "app/SlotTable.h"
#include "panel/PanelModel.h"
#include "tools/watch/WatchRound.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <vector>

namespace kelvane {

class CXmit;

// The pairs to watch: the pair of every input module, or only those of the rows named (an input's or an
// output's row; each pair once, in row order). Named rows that belong to no pair go to `unpaired`.
std::vector<ModulePair> PairsToWatch(const SlotTable& slots, const std::vector<int>& rows, std::vector<int>& unpaired);

// Polls module pairs round after round as the module panel polls its pair: each input's status, its service
// names whenever a lock changed (so the first round always reads them), and each output's rates. It only
// asks: no image is written and no module restarted. A request that fails all its tries counts as a poll
// failure; the rack controller is then asked whether it still answers, and when it does not the round ends
// there, without the rack. The link's lost flag is left cleared after a round that kept the rack.
class RackWatch {
public:
    RackWatch(CXmit& link, const SlotTable& slots, const std::vector<ModulePair>& pairs);

    WatchRound Poll(std::time_t now);

    // Requests that failed all their tries since this watch began.
    std::uint64_t PollFailures() const { return failures_; }

private:
    struct Watched {
        ModulePair pair;
        PanelModel model;
        std::array<int, kMaxInputRows> lockState{-1, -1, -1};  // -1: not known yet, so names are read at once
    };

    bool PollPair(Watched& w, WatchRound& round);
    bool PollInput(Watched& w, WatchRound& round);
    bool PollOutput(Watched& w, WatchRound& round);
    void ReadServiceNames(Watched& w);
    // One request; false, counted as a failure, when all its tries failed.
    bool Ask(std::uint8_t address, std::uint8_t command, int timeout);
    bool RackAnswers();

    CXmit& link_;
    SlotTable slots_;
    std::vector<Watched> watched_;
    std::uint64_t failures_ = 0;
};

}  // namespace kelvane
