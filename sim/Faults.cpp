#include "sim/Faults.h"

#include "sim/Frame.h"

#include <algorithm>
#include <charconv>
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
    : silent_(options.silent), drop_(options.dropShare), corrupt_(options.corruptShare), refuse_(options.refuseShare) {}

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

std::optional<FaultMoment> ParseFaultMoment(std::string_view text) {
    const auto whole = [](std::string_view digits, int base) -> std::optional<std::size_t> {
        std::size_t value = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
        if (digits.empty() || ec != std::errc{} || end != digits.data() + digits.size()) return std::nullopt;
        return value;
    };
    FaultMoment moment;
    if (!text.starts_with("0x")) {
        const auto n = whole(text, 10);
        if (!n || *n == 0) return std::nullopt;
        moment.afterRequests = *n;
        return moment;
    }
    const std::size_t slash = text.find('/');
    const auto command =
        whole(text.substr(2, slash == std::string_view::npos ? std::string_view::npos : slash - 2), 16);
    if (!command || *command > 0xFF || LengthFormOf(static_cast<std::uint8_t>(*command)) != 0) return std::nullopt;
    moment.command = static_cast<int>(*command);
    if (slash != std::string_view::npos) {
        const auto nth = whole(text.substr(slash + 1), 10);
        if (!nth || *nth == 0) return std::nullopt;
        moment.nth = *nth;
    }
    return moment;
}

bool MomentWatch::Strikes(std::uint8_t command) {
    if (struck_ || !moment_.Planned()) return false;
    if (moment_.command >= 0 && CommandOf(command) != moment_.command) return false;
    ++counted_;
    struck_ = counted_ == (moment_.command >= 0 ? moment_.nth : moment_.afterRequests);
    return struck_;
}

std::size_t ByteFlipper::Apply(std::span<std::uint8_t> frame) {
    if (every_ == 0) return 0;
    std::size_t flipped = 0;
    for (std::uint8_t& byte : frame) {
        if (++counted_ % every_ != 0) continue;
        // A different bit each time, so that every bit position of the frame is hit over a run.
        byte ^= static_cast<std::uint8_t>(1u << (counted_ / every_ % 8));
        ++flipped;
    }
    return flipped;
}

}  // namespace kelvane::sim
