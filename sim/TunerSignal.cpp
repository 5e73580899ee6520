#include "sim/TunerSignal.h"

#include <algorithm>

namespace kelvane::sim {
namespace {

constexpr int kBandLowMHz = 10700;
constexpr int kBandHighMHz = 12750;
constexpr int kMinSymbolRate = 1000;
constexpr int kMaxSymbolRate = 45000;

struct Range {
    int low;
    int high;
};

// Readings per regime, on the 0-100 scale of the panel's bars.
constexpr Range kNoiseSnr{0, 4};
constexpr Range kSyncSnr{18, 38};
constexpr Range kLockedSnrLow{58, 72};  // where a row's locked window starts
constexpr int kLockedSnrWidth = 12;
constexpr Range kNoiseLevel{4, 12};
constexpr int kLevelAtBandStart = 76;
constexpr int kLevelLossAcrossBand = 18;
constexpr int kLevelSpread = 6;
constexpr int kSnrStep = 2;
constexpr int kLevelStep = 1;
constexpr Range kSearchPolls{1, 2};  // polls without a carrier after a retune
constexpr int kMinSyncPolls = 2;  // polls with the carrier before the lock

// The carrier level falls across the band, as cable and LNB losses grow with frequency.
Range CarrierLevel(int frequencyMHz) {
    const int f = std::clamp(frequencyMHz, kBandLowMHz, kBandHighMHz);
    const int centre = kLevelAtBandStart - kLevelLossAcrossBand * (f - kBandLowMHz) / (kBandHighMHz - kBandLowMHz);
    return {centre - kLevelSpread, centre + kLevelSpread};
}

Range LevelRange(const Reception& reception) {
    return reception.receivable ? CarrierLevel(reception.frequencyMHz) : kNoiseLevel;
}

Range SnrRange(std::uint8_t lock, int lockedLow) {
    switch (lock) {
    case kLocked: return {lockedLow, lockedLow + kLockedSnrWidth};
    case kCarrierFound: return kSyncSnr;
    default: return kNoiseSnr;
    }
}

std::uint8_t Percent(int value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 100)); }

}  // namespace

bool IsReceivable(int frequencyMHz, int symbolRate) {
    return frequencyMHz >= kBandLowMHz && frequencyMHz <= kBandHighMHz && symbolRate >= kMinSymbolRate &&
           symbolRate <= kMaxSymbolRate;
}

TunerSignal::TunerSignal(Reception reception, std::uint64_t seed)
    : reception_(reception),
      jitter_(seed),
      lockedSnrLow_(jitter_.Between(kLockedSnrLow.low, kLockedSnrLow.high)),
      snr_(kNoiseSnr.low, kNoiseSnr.high, kSnrStep, SeedOf(seed, 1)),
      level_(LevelRange(reception).low, LevelRange(reception).high, kLevelStep, SeedOf(seed, 2)) {
    Retune(reception);
}

void TunerSignal::Retune(Reception reception) {
    reception_ = reception;
    polls_ = 0;
    searchPolls_ = jitter_.Between(kSearchPolls.low, kSearchPolls.high);
    syncPolls_ = jitter_.Between(kMinSyncPolls, kMaxPollsToLock - 1 - searchPolls_);
    const Range level = LevelRange(reception_);
    level_.SetRange(level.low, level.high);
    EnterState(kNoLock);
}

SignalReading TunerSignal::Poll() {
    const std::uint8_t lock = LockAt(polls_);
    if (polls_ < kMaxPollsToLock) ++polls_;  // bounded: nothing changes after the lock
    if (lock != lock_) EnterState(lock);
    return {lock_, Percent(snr_.Tick()), Percent(level_.Tick())};
}

std::uint8_t TunerSignal::LockAt(int poll) const {
    if (!reception_.receivable || poll < searchPolls_) return kNoLock;
    return poll < searchPolls_ + syncPolls_ ? kCarrierFound : kLocked;
}

void TunerSignal::EnterState(std::uint8_t lock) {
    lock_ = lock;
    const Range snr = SnrRange(lock, lockedSnrLow_);
    snr_.SetRange(snr.low, snr.high);
}

}  // namespace kelvane::sim
