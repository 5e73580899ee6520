#include "sim/CamSlot.h"

namespace kelvane::sim {

CamSlot::CamSlot(bool present) { SetPresent(present); }

void CamSlot::SetPresent(bool present) {
    if (present == present_) return;
    present_ = present;
    cam_ = CamModel{faults_.quirks};
    link_.Clear();
    if (present_) Deliver(cam_.Boot());
}

void CamSlot::SetFaults(const Faults& faults) {
    faults_ = faults;
    const bool present = present_;
    SetPresent(false);
    SetPresent(present);
}

void CamSlot::Restart() {
    if (!present_) return;
    SetPresent(false);
    SetPresent(true);
}

ci::Bytes CamSlot::Read() {
    ci::Bytes chunks = link_.Read();
    // Pulled once the PC has had part of the screen: in the middle of a long menu, or with a short question
    // shown and waiting for its answer.
    if (present_ && faults_.pullDuring != CamScreen::Closed && cam_.Current() == faults_.pullDuring &&
        !chunks.empty()) {
        faults_.pullDuring = CamScreen::Closed;
        SetPresent(false);
    }
    return chunks;
}

void CamSlot::Write(std::span<const std::uint8_t> linkPacket) {
    // Without a CAM the module takes the packet all the same and forgets it.
    if (!present_) return;
    for (const ci::Bytes& sessionPacket : link_.Receive(linkPacket)) Deliver(cam_.Receive(sessionPacket));
}

void CamSlot::Deliver(const std::vector<ci::Bytes>& sessionPackets) {
    if (sessionPackets.empty()) return;
    ci::Bytes transport;
    for (const ci::Bytes& packet : sessionPackets) {
        const ci::Bytes data = ci::Transport(ci::kDataLastTag, packet);
        transport.insert(transport.end(), data.begin(), data.end());
    }
    // After its data, the module passes on the CAM's status, which says it has nothing more to send.
    const ci::Bytes status = ci::Transport(ci::kStatusTag, ci::Bytes{ci::kNoMoreData});
    transport.insert(transport.end(), status.begin(), status.end());
    link_.Send(transport);
}

}  // namespace kelvane::sim
