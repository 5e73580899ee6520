#pragma once

#include "cam/MmiEvents.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kelvane {

// Gathers the CAM's link-layer fragments, as the common-interface module hands them over in the reply of the
// read-MMI-data request, until a packet is complete, then decodes it.
//
// A reply holds chunks, one after the other: two big-endian bytes (bit 15 the skip flag, bits 14-0 the chunk
// length c), then c bytes: the transport connection id, the more/last byte (bit 7 set: more fragments follow)
// and c - 2 transport-layer bytes.
class MmiReceiver {
public:
    static constexpr std::size_t kRxBufferSize = 4096;

    // The chunk walk over one reply; what the packets completed by it said is appended to `events`.
    //
    // A chunk too short for its connection id and more/last byte carries nothing and is stepped over. A chunk
    // that runs past the reply ends the walk. A packet that would gather more than kRxBufferSize bytes, or that
    // lost a fragment to a cut-short chunk, is dropped together with the rest of its fragments.
    void WalkChunks(std::span<const std::uint8_t> reply, std::vector<MmiEvent>& events);

    // Forgets whatever was gathered, as when the panel is opened.
    void Reset();

    std::size_t RxLength() const { return rxLength_; }
    // Packets dropped for being longer than kRxBufferSize, since the receiver was made.
    std::size_t OversizedPackets() const { return oversized_; }
    bool RxMore() const { return rxMore_; }

private:
    void Gather(std::span<const std::uint8_t> fragment, bool more, std::vector<MmiEvent>& events);
    void Drop(bool restToCome);

    std::array<std::uint8_t, kRxBufferSize> rxBuffer_{};
    std::size_t rxLength_ = 0;
    bool rxMore_ = false;
    // The packet being gathered was dropped: its fragments are passed over up to its last one.
    bool dropping_ = false;
    std::size_t oversized_ = 0;
};

}  // namespace kelvane
