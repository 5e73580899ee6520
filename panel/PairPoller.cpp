#include "panel/PairPoller.h"

#include "app/ModuleTypes.h"
#include "config/ChainEdits.h"
#include "link/RequestCodes.h"
#include "link/Xmit.h"
#include "panel/Reconcile.h"
#include "panel/ServiceList.h"
#include "panel/ServiceNames.h"

namespace kelvane {

InputPoll PairPoller::PollInput(PanelModel& m) {
    InputPoll poll;
    poll.answered = Ask(input_.Address, kStatusCommand, kStatusTimeout);
    if (!poll.answered) return poll;
    poll.status = ParseInputStatus(link_.Reply(), m.InputCount);
    for (int row = 0; row < poll.status.rows; ++row) {
        if (poll.status.lock[row] != lockState_[row]) {
            lockState_[row] = poll.status.lock[row];
            poll.namesAsked = true;
        }
    }
    // A tuner announces its services once it has locked, and others once it lost its lock.
    if (poll.namesAsked) ReadServiceNames(m);
    if (m.InputType == kPlayerType && poll.status.player && *poll.status.player != playerState_) {
        playerState_ = *poll.status.player;
        poll.playerState = playerState_;
    }
    return poll;
}

void PairPoller::ReadServiceNames(PanelModel& m) {
    const bool answered = Ask(input_.Address, kListCommand, kListTimeout);
    // A reply that did not come, or came cut, leaves the names read before, and nothing to reconcile with.
    if (answered && ParseServiceNames(link_.Reply(), m)) {
        ReconcileServices(m, CollectOutputServiceIds(slots_, input_.Address));
    }
    BuildServiceList(m);
}

OutputPoll PairPoller::PollOutput(PanelModel& m) {
    OutputPoll poll;
    poll.asked = output_ != nullptr && m.OutputChannelCount >= 1;
    if (poll.asked) {
        poll.answered = Ask(output_->Address, kListCommand, kListTimeout);
        if (poll.answered) poll.rates = ParseOutputRates(link_.Reply(), m.OutputChannelCount, output_->Type);
    }
    ApplyServiceRates(m, poll.rates.services);
    return poll;
}

bool PairPoller::Ask(std::uint8_t address, std::uint8_t command, int timeout) {
    if (link_.XmitRequest({}, address, command, timeout)) return true;
    ++failures_;
    return false;
}

}  // namespace kelvane
