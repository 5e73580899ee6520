#include "panel/SignalHistory.h"

#include <algorithm>

namespace kelvane {
HistorySample MakeHistorySample(std::uint64_t tickMs, const InputStatus& status,
                                const std::vector<ChannelRate>& rates) {
    HistorySample sample;
    sample.tickMs = tickMs;
    sample.inputRows = std::clamp(status.rows, 0, kMaxInputRows);
    sample.lock = status.lock;
    sample.level = status.level;
    sample.snr = status.snr;
    sample.channels = static_cast<int>(std::min<std::size_t>(rates.size(), kMaxOutputChannels));
    std::copy_n(rates.begin(), sample.channels, sample.rate.begin());
    return sample;
}

bool SignalHistory::Add(const HistorySample& sample) {
    if (size_ > 0 && sample.tickMs < At(size_ - 1).tickMs) return false;
    while (size_ > 0 && sample.tickMs - At(0).tickMs > kWindowMs) {
        first_ = (first_ + 1) % kSamples;
        --size_;
    }
    if (size_ == kSamples) {
        first_ = (first_ + 1) % kSamples;
        --size_;
    }
    ring_[(first_ + size_) % kSamples] = sample;
    ++size_;
    return true;
}

std::vector<HistoryPoint> SignalHistory::InputSeries(
    int row, const std::array<std::uint8_t, kMaxInputRows> HistorySample::*field) const {
    std::vector<HistoryPoint> points;
    if (row < 0 || row >= kMaxInputRows) return points;
    for (std::size_t k = 0; k < size_; ++k) {
        const HistorySample& s = At(k);
        if (row < s.inputRows) points.push_back({s.tickMs, (s.*field)[static_cast<std::size_t>(row)]});
    }
    return points;
}

std::vector<HistoryPoint> SignalHistory::Level(int row) const { return InputSeries(row, &HistorySample::level); }

std::vector<HistoryPoint> SignalHistory::Snr(int row) const { return InputSeries(row, &HistorySample::snr); }

std::vector<RatePoint> SignalHistory::Rate(int channel) const {
    std::vector<RatePoint> points;
    if (channel < 0 || channel >= kMaxOutputChannels) return points;
    for (std::size_t k = 0; k < size_; ++k) {
        const HistorySample& s = At(k);
        if (channel < s.channels) points.push_back({s.tickMs, s.rate[static_cast<std::size_t>(channel)]});
    }
    return points;
}

std::vector<std::uint64_t> SignalHistory::LockLosses(int row) const {
    std::vector<std::uint64_t> losses;
    bool wasLocked = false;
    for (const HistoryPoint& lock : InputSeries(row, &HistorySample::lock)) {
        const bool locked = ReadLockState(static_cast<std::uint8_t>(lock.value)) == LockState::Locked;
        if (wasLocked && !locked) losses.push_back(lock.tickMs);
        wasLocked = locked;
    }
    return losses;
}

}  // namespace kelvane
