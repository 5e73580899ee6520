#pragma once

#include "panel/PanelModel.h"
#include "panel/StatusReplies.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kelvane {

// One poll of a pair as its history keeps it: what each input row and each output channel reported. A module
// that did not answer leaves its part empty (no rows, no channels), so that a chart shows a gap, not a zero.
struct HistorySample {
    std::uint64_t tickMs = 0;  // when, on the program's clock
    int inputRows = 0;
    std::array<std::uint8_t, kMaxInputRows> lock{};
    std::array<std::uint8_t, kMaxInputRows> level{};
    std::array<std::uint8_t, kMaxInputRows> snr{};
    int channels = 0;
    std::array<ChannelRate, kMaxOutputChannels> rate{};
};

// A sample from the panel's own parsed replies; channels beyond the four an output has are not kept.
HistorySample MakeHistorySample(std::uint64_t tickMs, const InputStatus& status, const std::vector<ChannelRate>& rates);

struct HistoryPoint {
    std::uint64_t tickMs = 0;
    int value = 0;
    bool operator==(const HistoryPoint&) const = default;
};

struct RatePoint {
    std::uint64_t tickMs = 0;
    ChannelRate rate;
    bool operator==(const RatePoint&) const = default;
};

// The recent past of one pair, for charts: each input's level and S.N.R. and each channel's rate, with the
// moments an input lost its lock. Bounded both ways: at most kSamples samples (ten minutes of the panel's 1 s
// polls) and none more than kWindowMs older than the newest, so that slow polls do not stretch it either.
class SignalHistory {
public:
    static constexpr std::size_t kSamples = 600;
    static constexpr std::uint64_t kWindowMs = 600'000;

    SignalHistory() : ring_(kSamples) {}

    // Keeps the sample, dropping what falls out of the bounds. A sample older than the newest is refused
    // (false): the clock does not go back, and a chart must not either.
    bool Add(const HistorySample& sample);
    // For another pair.
    void Clear() { first_ = size_ = 0; }

    std::size_t Size() const { return size_; }
    // Sample k, 0 the oldest; k below Size().
    const HistorySample& At(std::size_t k) const { return ring_[(first_ + k) % kSamples]; }

    // The series of input row `row` (0-2) and channel `channel` (0-3), oldest first; samples in which the module
    // did not answer give no point.
    std::vector<HistoryPoint> Level(int row) const;
    std::vector<HistoryPoint> Snr(int row) const;
    std::vector<RatePoint> Rate(int channel) const;
    // When input row `row` was first seen without its lock after being locked; a gap in the answers between
    // the two does not hide the loss.
    std::vector<std::uint64_t> LockLosses(int row) const;

private:
    std::vector<HistoryPoint> InputSeries(int row,
                                          const std::array<std::uint8_t, kMaxInputRows> HistorySample::*field) const;

    std::vector<HistorySample> ring_;
    std::size_t first_ = 0;
    std::size_t size_ = 0;
};

}  // namespace kelvane
