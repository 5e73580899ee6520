#include "link/EchoWatch.h"

namespace kelvane {

void EchoWatch::Expect(std::span<const std::uint8_t> frame) {
    frame_.assign(frame.begin(), frame.end());
    fallback_.assign(frame_.size(), 0);
    std::size_t k = 0;
    for (std::size_t i = 1; i < frame_.size(); ++i) {
        while (k > 0 && frame_[i] != frame_[k]) k = fallback_[k - 1];
        if (frame_[i] == frame_[k]) ++k;
        fallback_[i] = k;
    }
    matched_ = 0;
}

bool EchoWatch::Feed(std::uint8_t byte) {
    if (frame_.empty()) return false;
    while (matched_ > 0 && frame_[matched_] != byte) matched_ = fallback_[matched_ - 1];
    if (frame_[matched_] == byte) ++matched_;
    if (matched_ < frame_.size()) return false;
    // The next copy (a retry's) starts afresh: copies never overlap on the line.
    matched_ = 0;
    return true;
}

}  // namespace kelvane
