#include "cam/MmiReceiver.h"

#include "cam/MmiParser.h"

#include <algorithm>

namespace kelvane {

constexpr std::size_t kChunkHeader = 2;
constexpr std::uint16_t kSkipFlag = 0x8000;
constexpr std::uint16_t kChunkLengthMask = 0x7FFF;
// The transport connection id and the more/last byte open every chunk that carries a fragment.
constexpr std::size_t kFragmentHeader = 2;
constexpr std::uint8_t kMoreFragments = 0x80;

void MmiReceiver::WalkChunks(std::span<const std::uint8_t> reply, std::vector<MmiEvent>& events) {
    std::size_t i = 0;
    while (i < reply.size()) {
        if (reply.size() - i < kChunkHeader) {
            Drop(rxMore_);
            return;
        }
        const auto word = static_cast<std::uint16_t>(reply[i] << 8 | reply[i + 1]);
        const std::size_t c = word & kChunkLengthMask;
        const bool skip = (word & kSkipFlag) != 0;
        const std::span<const std::uint8_t> chunk = reply.subspan(i + kChunkHeader);
        if (c > chunk.size()) {
            // Cut short: unless the chunk says it was a packet's last fragment, the rest of its packet is lost.
            if (!skip) Drop(chunk.size() < kFragmentHeader || (chunk[1] & kMoreFragments) != 0);
            return;
        }
        if (!skip && c >= kFragmentHeader) {
            Gather(chunk.subspan(kFragmentHeader, c - kFragmentHeader), (chunk[1] & kMoreFragments) != 0, events);
        }
        i += kChunkHeader + c;
    }
}

void MmiReceiver::Gather(std::span<const std::uint8_t> fragment, bool more, std::vector<MmiEvent>& events) {
    if (dropping_) {
        dropping_ = more;
        return;
    }
    if (fragment.size() > rxBuffer_.size() - rxLength_) {
        ++oversized_;
        Drop(more);
        return;
    }
    std::copy(fragment.begin(), fragment.end(), rxBuffer_.begin() + static_cast<std::ptrdiff_t>(rxLength_));
    rxLength_ += fragment.size();
    rxMore_ = more;
    if (more) return;
    ParseMmiObjects({rxBuffer_.data(), rxLength_}, events);
    rxLength_ = 0;
    rxMore_ = false;
}

void MmiReceiver::Drop(bool restToCome) {
    rxLength_ = 0;
    rxMore_ = false;
    dropping_ = restToCome;
}

void MmiReceiver::Reset() { Drop(false); }

}  // namespace kelvane
