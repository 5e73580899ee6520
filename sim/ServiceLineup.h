#pragma once

#include "sim/ConfigImages.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kelvane::sim {

struct AnnouncedService {
    std::uint16_t serviceId = 0;
    std::string name;  // as broadcast: Latin-1 bytes, with the 0x86/0x87 emphasis codes where they occur
    bool television = true;
    bool scrambled = false;
};

// How a row's line-up is made up.
struct LineupPlan {
    int frequencyMHz = 0;  // picks the bouquet the transponder carries
    std::span<const InputService> configured;  // always announced; a CAM on a service means it is scrambled
    std::span<const std::uint16_t> reserved;  // ids the module uses elsewhere, never given to extra services
    std::size_t extras = 0;  // services beyond the configured ones, at most
};

// The services a transponder announces: every service the row's configuration passes on, named from the
// bouquet of the transponder, and a few more that the operator could choose. The line-up stays as it is
// while the row keeps its tuning, so a service taken off the configuration can be chosen again.
class ServiceLineup {
public:
    // At most this many services: the program keeps 64 per input row.
    static constexpr std::size_t kMaxServices = 64;

    ServiceLineup() = default;
    explicit ServiceLineup(const LineupPlan& plan);

    // Announces a service configured after the line-up was made, if it is not announced yet.
    void Include(const InputService& configured);

    const std::vector<AnnouncedService>& Services() const { return services_; }
    std::uint16_t TransportStreamId() const { return transportStreamId_; }
    std::uint16_t OriginalNetworkId() const { return originalNetworkId_; }

    // This row of the service-names reply: the count, then {id, name, NUL} per service, a flags byte per
    // service (bit 0 television, bit 1 scrambled) and the transport stream and original network ids.
    void AppendNamesRow(std::vector<std::uint8_t>& reply) const;

private:
    void Add(std::uint16_t id, bool scrambled);
    void AddExtras(std::size_t count, std::span<const std::uint16_t> reserved);
    std::string TakeName(bool radio, bool scrambled, std::uint16_t id);
    bool Announces(std::uint16_t id) const;

    std::size_t bouquet_ = 0;
    std::vector<bool> namesUsed_;  // per bouquet entry, television first
    std::vector<AnnouncedService> services_;
    std::uint16_t transportStreamId_ = 0;
    std::uint16_t originalNetworkId_ = 0;
    std::uint16_t numberingBase_ = 0;  // the first hundred of the row's service ids
};

// The row of a service-names reply for an input that announces nothing (not locked, or nothing on air).
void AppendSilentRow(std::vector<std::uint8_t>& reply);

}  // namespace kelvane::sim
