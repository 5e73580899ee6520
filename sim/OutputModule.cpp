#include "sim/OutputModule.h"

#include "sim/BigEndian.h"
#include "sim/ChannelCapacity.h"
#include "sim/ImageDecoding.h"
#include "sim/ModuleModels.h"
#include "sim/ServiceNumbering.h"

#include <algorithm>

namespace kelvane::sim {
namespace {

constexpr std::uint32_t kBitsPerKbit = 1000;

// Typical encoder settings, in kbit/s: standard-definition television at 2.6 to 5.2 Mbit/s with a
// variable rate that swings by some 12 %, radio at 128 to 256 kbit/s that hardly moves.
constexpr int kTelevisionLowest = 2600;
constexpr int kTelevisionHighest = 5200;
constexpr int kTelevisionSwingPercent = 12;
constexpr int kTelevisionStepDivisor = 60;  // a poll moves the rate by at most some 1.7 %
constexpr int kRadioLowest = 128;
constexpr int kRadioHighest = 256;
constexpr int kRadioSwing = 8;
constexpr int kRadioStep = 2;
constexpr int kTablesStep = 4;
constexpr std::uint64_t kTablesSeed = 0x10000;  // above every service id, which seed the services

Drift RateOf(std::uint16_t serviceId, std::uint64_t seed) {
    Jitter pick(seed);
    if (IsRadioService(serviceId)) {
        const int base = pick.Between(kRadioLowest, kRadioHighest);
        return Drift(base - kRadioSwing, base + kRadioSwing, kRadioStep, SeedOf(seed, 1));
    }
    const int base = pick.Between(kTelevisionLowest, kTelevisionHighest);
    const int swing = base * kTelevisionSwingPercent / 100;
    return Drift(base - swing, base + swing, base / kTelevisionStepDivisor, SeedOf(seed, 1));
}

}  // namespace

OutputModule::OutputModule(const ModuleDescription& description)
    : Module(description), channels_(OutputChannelCount(description.type)) {
    for (int k = 0; k < channels_; ++k) {
        tables_.emplace_back(kMinTablesKbps, kMaxTablesKbps, kTablesStep,
                             SeedOf(description.address, kTablesSeed + static_cast<std::uint64_t>(k)));
    }
    FollowConfiguration();
}

std::optional<Reply> OutputModule::HandleOwn(const Request& request) {
    if (request.Command() == kListCommand) return Rates();
    return std::nullopt;
}

void OutputModule::AfterAccepted(const Request& request) {
    if (request.Command() == kWriteCommand) FollowConfiguration();
}

Reply OutputModule::Rates() {
    for (ServiceRate& s : services_) s.kbps.Tick();
    for (Drift& t : tables_) t.Tick();

    const std::size_t blocks = OutputChannelSlots(Description().type);
    std::vector<std::uint8_t> payload;
    payload.reserve(4 + 12 * blocks + 4 * services_.size());
    PutU16(payload, static_cast<std::uint32_t>(channels_));
    PutU16(payload, static_cast<std::uint32_t>(services_.size()));
    for (std::size_t k = 0; k < blocks; ++k) {
        const bool present = k < static_cast<std::size_t>(channels_);
        const std::uint32_t used = present ? ChannelUse(k) : 0;
        const std::uint32_t capacity = present ? capacity_ : 0;
        PutU32(payload, used);
        PutU32(payload, capacity);
        PutU32(payload, capacity - used);
    }
    for (const ServiceRate& s : services_) {
        PutU16(payload, s.serviceId);
        PutU16(payload, Carries(s) ? static_cast<std::uint32_t>(s.kbps.Value()) : 0);
    }
    return Accept(std::move(payload));
}

// Takes the services and modulation of the image; services still there keep their figures.
void OutputModule::FollowConfiguration() {
    const DecodedOutput output = DecodeOutputImage(Description().type, Config());
    capacity_ = UsefulBitRate(output.modulation);
    std::vector<ServiceRate> next;
    next.reserve(output.services.size());
    for (const DecodedOutputService& s : output.services) {
        const auto kept = std::find_if(services_.begin(), services_.end(),
                                       [&](const ServiceRate& r) { return r.serviceId == s.serviceId; });
        Drift kbps = kept != services_.end() ? kept->kbps : RateOf(s.serviceId, SeedOf(Address(), s.serviceId));
        next.push_back(ServiceRate{s.serviceId, s.channel, kbps});
    }
    services_ = std::move(next);
}

std::uint32_t OutputModule::ChannelUse(std::size_t channel) const {
    std::uint64_t kbps = static_cast<std::uint64_t>(tables_[channel].Value());
    for (const ServiceRate& s : services_) {
        if (Carries(s) && s.channel == channel + 1) kbps += static_cast<std::uint64_t>(s.kbps.Value());
    }
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(kbps * kBitsPerKbit, capacity_));
}

bool OutputModule::Carries(const ServiceRate& service) const {
    return service.channel >= 1 && service.channel <= channels_;
}

}  // namespace kelvane::sim
