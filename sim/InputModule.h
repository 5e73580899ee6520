#pragma once

#include "sim/ImageDecoding.h"
#include "sim/LockLoss.h"
#include "sim/Module.h"
#include "sim/PlayerStorage.h"
#include "sim/ServiceLineup.h"
#include "sim/TunerSignal.h"

#include <optional>
#include <vector>

namespace kelvane::sim {

// An input module: a KXB200 or KXB210 tuner with one input row, or a KXC300 player with three rows.
// Besides the common commands it answers
//  - the status poll (0x40): lock, S.N.R. and level per row, then the player byte (non-zero while a KXC300
//    has files to play, 0 on tuners);
//  - the service names (0x60): per row the services its transponder announces, once the row has locked
//    (an unlocked tuner reads no service information);
//  - on a KXC300, the file list (0x90).
// Each status poll is one step of the module's time: rows lock a few polls after a retune and their figures
// wander from poll to poll. A configuration write retunes the rows whose tuning it changes; a restart
// retunes them all. A planned lock loss (kxrsim --lose-lock) takes the carrier away from a row for a while.
class InputModule final : public Module {
public:
    explicit InputModule(const ModuleDescription& description);

    const PlayerStorage& Storage() const { return storage_; }

    // Makes input row `input` lose its carrier after `afterPolls` further status polls, for `forPolls` polls;
    // false when the module has no such row.
    bool PlanLockLoss(int input, int afterPolls, int forPolls);

    // Services a KXC300 row announces beyond the configured ones: the player is fed from few services.
    static constexpr std::size_t kPlayerRowExtras = 1;

private:
    struct Row {
        std::optional<InputTuning> tuning;
        TunerSignal signal;
        ServiceLineup lineup;
        LockLossPlan loss;
    };

    std::optional<Reply> HandleOwn(const Request& request) override;
    void AfterAccepted(const Request& request) override;
    Reply Status();
    Reply ServiceNames() const;
    void FollowConfiguration();
    void RestartRows();
    static Reception ReceptionNow(const Row& row);
    ServiceLineup LineupFor(const DecodedInput& input, std::size_t row) const;

    bool IsPlayer() const;

    std::vector<Row> rows_;
    PlayerStorage storage_;
};

}  // namespace kelvane::sim
