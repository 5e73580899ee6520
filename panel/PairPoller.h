#pragma once

#include "app/SlotTable.h"
#include "panel/PanelModel.h"
#include "panel/StatusReplies.h"

#include <array>
#include <cstdint>
#include <optional>

namespace kelvane {

class CXmit;

// What one status poll of the input told.
struct InputPoll {
    bool answered = false;  // false: the request failed all its tries, and nothing below was read
    InputStatus status;
    bool namesAsked = false;  // a lock changed, so the service names were asked and the service list rebuilt
    std::optional<std::uint8_t> playerState;  // the player's state, when it changed
};

// What one rate poll of the output told.
struct OutputPoll {
    bool asked = false;  // the pair has an output with channels
    bool answered = false;  // the request succeeded (its reply may still hold no channel)
    OutputRates rates;  // empty when it did not answer
};

// The status poll of a module pair, one for the panel's timer, `watch` and `show`: what to ask, in what order,
// and what the answers mean for the pair's model. The input's status first; its service names whenever a
// lock state changed (a new poller knows none, so its first answered poll reads them), reconciled only with a
// names reply read whole; then the output's rates, which set every service row's Rate. It only asks: no image
// is written and no module restarted. Who drives it decides what a failed request means (the panel stops, the
// watcher asks the rack controller); the poller keeps no window and no clock.
class PairPoller {
public:
    // `slots` holds both records and outlives the poller; `output` is null for an input without an output.
    PairPoller(CXmit& link, const SlotTable& slots, const SlotRecord& input, const SlotRecord* output)
        : link_(link), slots_(slots), input_(input), output_(output) {}

    InputPoll PollInput(PanelModel& m);
    OutputPoll PollOutput(PanelModel& m);

    // Requests that failed all their tries since this poller began.
    std::uint64_t Failures() const { return failures_; }

private:
    void ReadServiceNames(PanelModel& m);
    bool Ask(std::uint8_t address, std::uint8_t command, int timeout);

    CXmit& link_;
    const SlotTable& slots_;
    const SlotRecord& input_;
    const SlotRecord* output_;
    std::array<int, kMaxInputRows> lockState_{-1, -1, -1};  // -1: not known yet
    int playerState_ = -1;
    std::uint64_t failures_ = 0;
};

}  // namespace kelvane
