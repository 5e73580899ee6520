#include "sim/Faults.h"

#include <algorithm>
#include <cmath>

namespace kelvane::sim {

namespace {

constexpr std::uint64_t kMaxDenominator = 1'000'000;

struct Fraction {
    std::uint64_t numerator;
    std::uint64_t denominator;
};

// The continued-fraction convergent of x (0 to 1) with the largest denominator up to kMaxDenominator.
Fraction NearestFraction(double x) {
    std::uint64_t p0 = 0, q0 = 1, p1 = 1, q1 = 0;
    double rest = x;
    for (int term = 0; term < 64; ++term) {
        const double whole = std::floor(rest);
        const auto a = static_cast<std::uint64_t>(whole);
        const std::uint64_t p2 = a * p1 + p0;
        const std::uint64_t q2 = a * q1 + q0;
        if (q2 > kMaxDenominator) break;
        p0 = p1;
        q0 = q1;
        p1 = p2;
        q1 = q2;
        const double fraction = rest - whole;
        if (fraction < 1e-9) break;
        rest = 1.0 / fraction;
    }
    return {p1, q1};
}

}  // namespace

ShareAccumulator::ShareAccumulator(double share) {
    // NaN fails both comparisons of clamp's contract, so it is taken as no fault at all.
    const double clamped = std::isnan(share) ? 0.0 : std::clamp(share, 0.0, 1.0);
    const Fraction f = NearestFraction(clamped);
    numerator_ = f.numerator;
    denominator_ = f.denominator;
}

bool ShareAccumulator::Next() {
    sum_ += numerator_;
    if (sum_ < denominator_) return false;
    sum_ -= denominator_;
    return true;
}

FaultPlan::FaultPlan(const FaultOptions& options)
    : silent_(options.silent),
      drop_(options.dropShare),
      corrupt_(options.corruptShare),
      refuse_(options.refuseShare) {}

ReplyFault FaultPlan::Next() {
    // While silent no reply could go out, so the shares do not count those.
    if (silent_) return ReplyFault{true, false, false};
    ReplyFault fault;
    fault.drop = drop_.Next();
    fault.corrupt = corrupt_.Next();
    fault.refuse = refuse_.Next();
    if (fault.drop) fault.corrupt = fault.refuse = false;
    return fault;
}

}  // namespace kelvane::sim
