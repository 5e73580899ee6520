#pragma once

#include "platform/SerialPort.h"
#include "platform/VirtualClock.h"

#include <cstdint>
#include <ctime>
#include <deque>
#include <functional>
#include <vector>

namespace kelvane::test {

using Bytes = std::vector<std::uint8_t>;

// A common-interface module at the far end of a serial line, on the virtual clock. It answers the identity
// probe (so that the link finds it), lists the rack's modules in the controller's stead, reports `status` to the CAM
// status request, hands over the queued MMI data one entry per read (nothing when none is queued), and keeps every
// packet sent to it with the second it arrived. Every port it opens leads to it.
class FakeCiModule final : public PortOpener {
public:
    struct Sent {
        std::time_t second;
        Bytes packet;
    };

    explicit FakeCiModule(VirtualClock& clock) : clock_(clock) {}

    std::unique_ptr<SerialPort> Open(std::uint8_t number) override;
    std::string Describe(std::uint8_t number) const override { return "COM" + std::to_string(number); }

    // What the rack controller (address 0) lists: {address, type, version} per module; row 2 is this module.
    Bytes moduleList{0x01, 0x01, 0x0A, 0x02, 0x03, 0x0A};
    std::uint8_t status = 1;
    // While false, CAM status requests go unanswered.
    bool answerStatus = true;
    // While true, what is sent for the CAM is refused (and not kept).
    bool refuseSends = false;
    std::deque<Bytes> mmiData;
    std::vector<Sent> sent;
    std::size_t statusPolls = 0;
    std::size_t reads = 0;
    // Called with each packet sent to the module, after it is kept: a CAM that answers what it is sent.
    std::function<void(const Bytes&)> onSent;

    // Used by the port: the reply frame `request` earns, if any.
    Bytes Answer(const Bytes& request);

private:
    VirtualClock& clock_;
};

}  // namespace kelvane::test
