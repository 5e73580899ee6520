#pragma once

#include "sim/Drift.h"
#include "sim/Module.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelvane::sim {

// An output module (KXD400, KXD410, KXD420, KXE500). Besides the common commands it answers the rate poll
// (0x60):
//   bytes 0-1 the channels it carries, 2-3 the number of service pairs (both informative);
//   then C blocks of 12 bytes (C = 1 for the KXD400, 4 for the others): u32 bits per second in use, u32
//   capacity, u32 padding (capacity less what is in use); blocks of channels the model lacks are zero;
//   then per service of its image {u16 service id, u16 rate in kbit/s}.
// A service's rate wanders around a figure typical of its kind (television or radio, by its number); a
// channel's use is the sum of its services' rates and its tables, up to the capacity that the modulation of
// the image gives. Services on no channel, or on a channel the model lacks, rate 0. Each rate poll is one
// step of the module's time; a configuration write takes the new services and modulation at once.
class OutputModule final : public Module {
public:
    explicit OutputModule(const ModuleDescription& description);

    // Table overhead (PAT, PMT, NIT, SDT) of a channel, in kbit/s.
    static constexpr int kMinTablesKbps = 60;
    static constexpr int kMaxTablesKbps = 160;

private:
    struct ServiceRate {
        std::uint16_t serviceId;
        std::uint8_t channel;
        Drift kbps;
    };

    std::optional<Reply> HandleOwn(const Request& request) override;
    void AfterAccepted(const Request& request) override;
    Reply Rates();
    void FollowConfiguration();
    std::uint32_t ChannelUse(std::size_t channel) const;
    bool Carries(const ServiceRate& service) const;

    int channels_;
    std::uint32_t capacity_ = 0;
    std::vector<ServiceRate> services_;
    std::vector<Drift> tables_;  // per channel
};

}  // namespace kelvane::sim
