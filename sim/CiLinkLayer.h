#pragma once

#include "sim/CiBytes.h"

#include <cstddef>
#include <deque>
#include <span>
#include <vector>

namespace kelvane::sim {

// The common-interface module's link with its CAM as the PC sees it. What the CAM sends waits in the module as
// chunks, each one link-layer fragment: two bytes (bit 15 the skip flag, bits 14-0 the length c of what
// follows), the connection id, the more/last byte (bit 7: more fragments follow) and up to kFragmentBytes
// transport bytes. A read hands over a few chunks at a time, so a long menu spreads over several reads, and now
// and then the module hands a chunk over a second time with the skip flag set, which the PC must step over.
class CiLinkLayer {
public:
    static constexpr std::size_t kFragmentBytes = 40;
    static constexpr std::size_t kChunksPerRead = 3;
    static constexpr std::size_t kRepeatEvery = 3;
    static constexpr std::uint8_t kSkipFlag = 0x80;  // in the first byte of a chunk handed over again
    // The most the module gathers of a packet the PC sends in fragments.
    static constexpr std::size_t kReceiveCapacity = 1024;

    // Queues transport bytes from the CAM (whole transport packets), cut into fragments.
    void Send(std::span<const std::uint8_t> transport);

    // The reply to one read-MMI-data request: the next chunks, or nothing when none waits.
    ci::Bytes Read();

    // Takes one link-layer packet from the PC; the session packets carried by the T_DATA_LAST packets it
    // completes.
    std::vector<ci::Bytes> Receive(std::span<const std::uint8_t> linkPacket);

    void Clear();
    std::size_t ChunksWaiting() const { return chunks_.size(); }

private:
    std::deque<ci::Bytes> chunks_;
    std::size_t handedOver_ = 0;
    ci::Bytes incoming_;
};

}  // namespace kelvane::sim
