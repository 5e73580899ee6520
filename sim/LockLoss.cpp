#include "sim/LockLoss.h"

#include <charconv>

namespace kelvane::sim {
namespace {

constexpr int kMaxInputRows = 3;

std::optional<int> Whole(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

}  // namespace

std::optional<LockLoss> ParseLockLoss(std::string_view text, std::string& error) {
    const std::size_t first = text.find(':');
    const std::size_t second = first == std::string_view::npos ? first : text.find(':', first + 1);
    error = "--lose-lock wants ROW[INPUT]:AFTER_POLLS:FOR_POLLS (for example 1:10:5 or 4B:10:5), not '" +
            std::string(text) + "'";
    if (second == std::string_view::npos) return std::nullopt;
    std::string_view where = text.substr(0, first);
    LockLoss loss;
    if (!where.empty() && where.back() >= 'A' && where.back() < 'A' + kMaxInputRows) {
        loss.input = where.back() - 'A';
        where.remove_suffix(1);
    }
    const auto row = Whole(where);
    const auto after = Whole(text.substr(first + 1, second - first - 1));
    const auto lasting = Whole(text.substr(second + 1));
    if (!row || !after || !lasting || *row < 1 || *lasting < 1) return std::nullopt;
    loss.row = *row;
    loss.afterPolls = *after;
    loss.forPolls = *lasting;
    error.clear();
    return loss;
}

LockLossPlan::Step LockLossPlan::Next() {
    if (!planned_ || polls_ > static_cast<std::int64_t>(after_) + for_) return Step::Normal;
    ++polls_;
    if (polls_ == static_cast<std::int64_t>(after_) + 1) return Step::Starts;
    if (polls_ == static_cast<std::int64_t>(after_) + for_ + 1) return Step::Ends;
    return Lost() ? Step::Lost : Step::Normal;
}

}  // namespace kelvane::sim
