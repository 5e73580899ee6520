#include "sim/NetworkSection.h"

#include "sim/BigEndian.h"

#include <algorithm>
#include <array>

namespace kelvane::sim {
namespace {

constexpr std::uint8_t kNitActualTable = 0x40;
constexpr std::uint16_t kReservedBits = 0xF000;
constexpr std::uint8_t kNetworkNameTag = 0x40;
constexpr std::uint8_t kServiceListTag = 0x41;
constexpr std::uint8_t kTerrestrialDeliveryTag = 0x5A;
constexpr std::uint8_t kLogicalChannelTag = 0x83;
constexpr std::uint8_t kHdSimulcastChannelTag = 0x88;
constexpr std::uint8_t kDigitalTvService = 0x01;
constexpr std::array<std::uint8_t, 6> kPrivateDataSpecifier{0x5F, 0x04, 0x00, 0x00, 0x00, 0x28};
// Descriptor lengths are single bytes, which bounds the entries of each.
constexpr std::size_t kChannelNumberEntryBytes = 4;
constexpr std::size_t kServiceListEntryBytes = 3;

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t crc = i << 24;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
        table[i] = crc;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

std::vector<const OutputService*> ServicesOnChannel(const OutputSettings& s, int channel) {
    const bool oneChannel = OutputChannelCount(s.type) == 1;
    std::vector<const OutputService*> found;
    const std::size_t n = std::min(s.services.size(), kMaxByteCount);  // as many as the image holds
    for (std::size_t i = 0; i < n; ++i) {
        if ((oneChannel ? 1 : s.services[i].channel) == channel) found.push_back(&s.services[i]);
    }
    return found;
}

// A logical-channel style descriptor: service id and number for each service whose number is not 0.
void PutChannelNumbers(std::vector<std::uint8_t>& out, std::uint8_t tag,
                       const std::vector<const OutputService*>& services, std::uint16_t OutputService::*number) {
    std::vector<std::uint8_t> entries;
    for (const OutputService* service : services) {
        if (service->*number == 0 || entries.size() + kChannelNumberEntryBytes > kMaxByteCount) continue;
        PutU16(entries, service->serviceId);
        entries.push_back(static_cast<std::uint8_t>(0xFC | (service->*number >> 8)));
        entries.push_back(static_cast<std::uint8_t>(service->*number & 0xFF));
    }
    if (entries.empty()) return;
    out.push_back(tag);
    out.push_back(static_cast<std::uint8_t>(entries.size()));
    out.insert(out.end(), entries.begin(), entries.end());
}

void PutDelivery(std::vector<std::uint8_t>& out, const OutputSettings& s) {
    // The descriptor counts down from 8 MHz (code 0) in 1 MHz steps; an unknown index is taken as 8 MHz.
    const std::uint64_t widest = kBandwidthMHz.back();
    const std::uint64_t mhz = s.bandwidth < kBandwidthMHz.size() ? kBandwidthMHz[s.bandwidth] : widest;
    const auto bandwidthCode = static_cast<std::uint8_t>(widest - mhz);
    out.insert(out.end(), {kTerrestrialDeliveryTag, 0x0B, 0xFF, 0xFF, 0xFF, 0xFF});
    out.push_back(static_cast<std::uint8_t>((bandwidthCode << 5) | 0x1F));
    out.push_back(static_cast<std::uint8_t>((s.constellation << 6) | (s.codeRate & 0x07)));
    out.push_back(static_cast<std::uint8_t>((s.codeRate << 5) | ((s.guard & 0x03) << 3) | ((s.mode & 0x03) << 1)));
    out.insert(out.end(), {0xFF, 0xFF, 0xFF, 0xFF});
}

void PutServiceList(std::vector<std::uint8_t>& out, const std::vector<const OutputService*>& services) {
    const std::size_t m = std::min(services.size(), kMaxByteCount / kServiceListEntryBytes);
    out.push_back(kServiceListTag);
    out.push_back(static_cast<std::uint8_t>(kServiceListEntryBytes * m));
    for (std::size_t i = 0; i < m; ++i) {
        PutU16(out, services[i]->serviceId);
        out.push_back(kDigitalTvService);
    }
}

void PutTransportStream(std::vector<std::uint8_t>& out, const OutputSettings& s, int channel,
                        const std::vector<const OutputService*>& services) {
    std::vector<std::uint8_t> descriptors(kPrivateDataSpecifier.begin(), kPrivateDataSpecifier.end());
    PutChannelNumbers(descriptors, kLogicalChannelTag, services, &OutputService::lcn);
    PutChannelNumbers(descriptors, kHdSimulcastChannelTag, services, &OutputService::hdLcn);
    PutDelivery(descriptors, s);
    PutServiceList(descriptors, services);

    const auto index = static_cast<std::size_t>(channel - 1);
    PutU16(out, index < s.transportStreamIds.size() ? s.transportStreamIds[index] : 0);
    PutU16(out, s.networkId);
    PutU16(out, kReservedBits | (descriptors.size() & 0x0FFF));
    out.insert(out.end(), descriptors.begin(), descriptors.end());
}

}  // namespace

std::uint32_t MpegCrc32(std::span<const std::uint8_t> bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::uint8_t b : bytes) crc = (crc << 8) ^ kCrcTable[((crc >> 24) ^ b) & 0xFF];
    return crc;
}

std::vector<std::uint8_t> NetworkSection(const OutputSettings& s) {
    std::vector<std::uint8_t> streams;
    for (int channel = OutputChannelCount(s.type); channel >= 1; --channel) {
        const auto services = ServicesOnChannel(s, channel);
        if (!services.empty()) PutTransportStream(streams, s, channel, services);
    }
    const std::size_t nameLength = std::min(s.networkName.size(), kMaxByteCount);

    std::vector<std::uint8_t> section{kNitActualTable, 0, 0};  // the length word is known only at the end
    PutU16(section, s.networkId);
    section.push_back(static_cast<std::uint8_t>(0xC1 + 2 * (s.nitVersion & 0x1F)));
    section.insert(section.end(), {0x00, 0x00});
    PutU16(section, kReservedBits | (2 + nameLength));
    section.push_back(kNetworkNameTag);
    section.push_back(static_cast<std::uint8_t>(nameLength));
    section.insert(section.end(), s.networkName.begin(),
                   s.networkName.begin() + static_cast<std::ptrdiff_t>(nameLength));
    PutU16(section, kReservedBits | (streams.size() & 0x0FFF));
    section.insert(section.end(), streams.begin(), streams.end());

    const std::size_t afterLength = section.size() - 3 + 4;  // everything after the length word, CRC included
    section[1] = static_cast<std::uint8_t>(0xF0 | ((afterLength >> 8) & 0x0F));
    section[2] = static_cast<std::uint8_t>(afterLength & 0xFF);
    PutU32(section, MpegCrc32(section));
    return section;
}

}  // namespace kelvane::sim
