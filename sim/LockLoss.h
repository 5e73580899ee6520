#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvane::sim {

// An input row that loses its lock for a while, so that a watching program can be seen to notice: counted in
// the module's status polls, it reports normally for `afterPolls`, then finds no carrier for `forPolls`, then
// acquires it again as after a retune.
struct LockLoss {
    int row = 1;  // the module's row in the module list (1 is the first module after the controller)
    int input = 0;  // its input row: 0, 1, 2 for A, B, C
    int afterPolls = 0;
    int forPolls = 0;
    bool operator==(const LockLoss&) const = default;
};

// Reads "ROW:AFTER:FOR" or "ROWx:AFTER:FOR" with x an input letter A-C (A when left out); nothing, with a
// reason in `error`, for anything else.
std::optional<LockLoss> ParseLockLoss(std::string_view text, std::string& error);

// Where one input row stands in its lock loss, poll after poll.
class LockLossPlan {
public:
    enum class Step { Normal, Starts, Lost, Ends };

    LockLossPlan() = default;
    LockLossPlan(int afterPolls, int forPolls) : after_(afterPolls), for_(forPolls), planned_(forPolls > 0) {}

    // Advances one status poll and says what the row goes through on it.
    Step Next();
    // Whether the row is without its carrier now.
    bool Lost() const { return planned_ && polls_ > after_ && polls_ <= after_ + for_; }

private:
    int after_ = 0;
    int for_ = 0;
    bool planned_ = false;
    std::int64_t polls_ = 0;
};

}  // namespace kelvane::sim
