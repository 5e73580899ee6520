#pragma once

#include "sim/CamModel.h"
#include "sim/CiLinkLayer.h"

#include <cstdint>
#include <span>

namespace kelvane::sim {

// The CAM slot of a common-interface module: the CAM in it, if any, and the module's link with it. The status
// byte is 0 while the slot is empty and 1 while a CAM is in it. A CAM put in starts afresh and announces
// itself; a CAM pulled out takes its menus with it, and whatever waited for the PC is lost.
class CamSlot {
public:
    // Faults of the CAM in this slot: its quirks (kept by every CAM put in), and the screen during which it is
    // pulled out, once (Closed: never).
    struct Faults {
        CamQuirks quirks;
        CamScreen pullDuring = CamScreen::Closed;
    };

    static constexpr std::uint8_t kEmpty = 0;
    static constexpr std::uint8_t kCamPresent = 1;

    explicit CamSlot(bool present = true);

    std::uint8_t Status() const { return present_ ? kCamPresent : kEmpty; }
    bool Present() const { return present_; }
    void SetPresent(bool present);

    // The read-MMI-data request (0x60) and the send-MMI-data request (0x50).
    ci::Bytes Read();
    void Write(std::span<const std::uint8_t> linkPacket);

    const CamModel& Cam() const { return cam_; }
    void SetFaults(const Faults& faults);
    // The CAM starts afresh, as after the rack's restart; nothing changes in an empty slot.
    void Restart();

private:
    void Deliver(const std::vector<ci::Bytes>& sessionPackets);

    Faults faults_;
    bool present_ = false;
    CamModel cam_;
    CiLinkLayer link_;
};

}  // namespace kelvane::sim
