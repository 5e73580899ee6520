#include "sim/InputModule.h"

#include "sim/Drift.h"
#include "sim/ModuleModels.h"

namespace kelvane::sim {
namespace {

constexpr std::uint8_t kNoPlayer = 0;

Reception ReceptionOf(const std::optional<InputTuning>& tuning) {
    if (!tuning) return {};
    return {IsReceivable(tuning->frequencyMHz, tuning->symbolRate), tuning->frequencyMHz};
}

// Ids the other rows and the player use: a row's extra services must not take them.
std::vector<std::uint16_t> IdsOutsideRow(const DecodedInput& input, std::size_t row) {
    std::vector<std::uint16_t> ids;
    for (std::size_t r = 0; r < input.rows.size(); ++r) {
        if (r == row) continue;
        for (const InputService& s : input.rows[r].services) ids.push_back(s.serviceId);
    }
    if (input.player.serviceId) ids.push_back(*input.player.serviceId);
    return ids;
}

}  // namespace

InputModule::InputModule(const ModuleDescription& description) : Module(description) {
    const DecodedInput input = DecodeInputImage(description.type, description.config);
    storage_ = PlayerStorage(input.player.scheduledFiles);
    for (std::size_t r = 0; r < input.rows.size(); ++r) {
        const std::optional<InputTuning>& tuning = input.rows[r].tuning;
        const std::uint64_t seed = SeedOf(description.address, r, description.type);
        rows_.push_back(Row{tuning, TunerSignal(ReceptionOf(tuning), seed), LineupFor(input, r), {}});
    }
}

std::optional<Reply> InputModule::HandleOwn(const Request& request) {
    switch (request.Command()) {
    case kStatusCommand: return Status();
    case kListCommand: return ServiceNames();
    case kFileListCommand:
        if (IsPlayer()) return Accept(storage_.FileListReply());
        return std::nullopt;
    default: return std::nullopt;
    }
}

void InputModule::AfterAccepted(const Request& request) {
    if (request.Command() == kWriteCommand) FollowConfiguration();
    if (request.Command() == kRestartCommand || IsRackRestart(request)) RestartRows();
}

Reply InputModule::Status() {
    std::vector<std::uint8_t> payload;
    payload.reserve(3 * rows_.size() + 1);
    for (Row& row : rows_) {
        const LockLossPlan::Step step = row.loss.Next();
        if (step == LockLossPlan::Step::Starts || step == LockLossPlan::Step::Ends)
            row.signal.Retune(ReceptionNow(row));
        const SignalReading reading = row.signal.Poll();
        payload.insert(payload.end(), {reading.lock, reading.snr, reading.level});
    }
    payload.push_back(IsPlayer() ? storage_.PlayerState() : kNoPlayer);
    return Accept(std::move(payload));
}

Reply InputModule::ServiceNames() const {
    std::vector<std::uint8_t> payload;
    for (const Row& row : rows_) {
        if (row.signal.Lock() == kLocked) {
            row.lineup.AppendNamesRow(payload);
        } else {
            AppendSilentRow(payload);
        }
    }
    return Accept(std::move(payload));
}

void InputModule::FollowConfiguration() {
    const DecodedInput input = DecodeInputImage(Description().type, Config());
    for (std::size_t r = 0; r < rows_.size() && r < input.rows.size(); ++r) {
        Row& row = rows_[r];
        const DecodedInputRow& now = input.rows[r];
        if (now.tuning != row.tuning) {
            // Another transponder: acquire it and read what it carries.
            row.tuning = now.tuning;
            row.signal.Retune(ReceptionNow(row));
            row.lineup = LineupFor(input, r);
        } else {
            for (const InputService& s : now.services) row.lineup.Include(s);
        }
    }
}

void InputModule::RestartRows() {
    for (Row& row : rows_) row.signal.Retune(ReceptionNow(row));
}

// A row whose carrier is away hears nothing wherever it is tuned.
Reception InputModule::ReceptionNow(const Row& row) { return row.loss.Lost() ? Reception{} : ReceptionOf(row.tuning); }

bool InputModule::PlanLockLoss(int input, int afterPolls, int forPolls) {
    if (input < 0 || static_cast<std::size_t>(input) >= rows_.size()) return false;
    rows_[static_cast<std::size_t>(input)].loss = LockLossPlan(afterPolls, forPolls);
    return true;
}

ServiceLineup InputModule::LineupFor(const DecodedInput& input, std::size_t row) const {
    const DecodedInputRow& decoded = input.rows[row];
    const std::vector<std::uint16_t> reserved = IdsOutsideRow(input, row);
    LineupPlan plan;
    plan.frequencyMHz = decoded.tuning ? decoded.tuning->frequencyMHz : 0;
    plan.configured = decoded.services;
    plan.reserved = reserved;
    plan.extras = IsPlayer() ? kPlayerRowExtras : ServiceLineup::kMaxServices;
    return ServiceLineup(plan);
}

bool InputModule::IsPlayer() const { return Description().type == kKXC300; }

}  // namespace kelvane::sim
