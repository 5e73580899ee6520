#include "panel/NetworkSection.h"

#include "text/Latin1.h"

#include <algorithm>
#include <array>

namespace kelvane {
namespace {

constexpr std::uint8_t kNitActualTableId = 0x40;
constexpr std::uint8_t kNetworkNameTag = 0x40;
constexpr std::uint8_t kTerrestrialDeliveryTag = 0x5A;
constexpr std::uint8_t kPrivateDataSpecifierTag = 0x5F;
constexpr std::uint8_t kLogicalChannelTag = 0x83;
constexpr std::uint8_t kHdSimulcastChannelTag = 0x88;
constexpr std::uint8_t kDigitalTvServiceType = 0x01;
constexpr std::uint8_t kDigitalRadioServiceType = 0x02;
constexpr std::uint32_t kUnknownFrequency = 0xFFFFFFFF;
constexpr std::uint32_t kTenHertzPerKHz = 100;
constexpr std::uint16_t kReservedLengthBits = 0xF000;
constexpr std::uint8_t kLcnFlagBits = 0xFC;  // visible service, reserved bits

// EACEM, whose private descriptors 0x83 and 0x88 are.
constexpr std::array<std::uint8_t, 6> kPrivateDataSpecifier{kPrivateDataSpecifierTag, 0x04, 0x00, 0x00, 0x00, 0x28};

constexpr std::size_t kHeaderSize = kNetworkDescriptorsOffset + 2;  // table id up to the network descriptors
constexpr std::size_t kDeliverySize = 13;
constexpr std::size_t kEntryHeaderSize = 6;

// With at most 64 output services and a 30-character name the section always fits the firmware's buffer, so no
// channel ever has to be dropped for room.
constexpr std::size_t kWorstSection =
    kHeaderSize + 2 + kMaxNetworkNameLength + 2 +
    kMaxOutputChannels * (kEntryHeaderSize + kPrivateDataSpecifier.size() + kDeliverySize + 3 * 2) +
    kMaxOutputServices * (4 + 4 + 3) + kSectionCrcSize;
static_assert(kWorstSection <= kNitBufferSize);

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t crc = i << 24;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000u) != 0 ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
        table[i] = crc;
    }
    return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

void PutU16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    PutU16(out, value >> 16);
    PutU16(out, value & 0xFFFF);
}

void Append(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

std::span<const OutputService> Services(const PanelModel& m) {
    return {m.OutputServices.data(), static_cast<std::size_t>(std::clamp(m.OutputServiceCount, 0, kMaxOutputServices))};
}

// The 0x83 or 0x88 descriptor of `channel`, empty when no service of the channel has a number of that kind.
std::vector<std::uint8_t> ChannelNumbers(const PanelModel& m, int channel, std::uint8_t tag,
                                         std::uint16_t OutputService::*number) {
    std::vector<std::uint8_t> entries;
    int count = 0;
    for (const OutputService& service : Services(m)) {
        const std::uint16_t value = service.*number;
        // A number beyond ten bits would spill into the flags and go on air as another number.
        if (service.OutputChannel != channel || value == 0 || value > kMaxLcn || count == kMaxLcnEntries) continue;
        PutU16(entries, static_cast<std::uint16_t>(service.ServiceId));
        entries.push_back(static_cast<std::uint8_t>(kLcnFlagBits | (value >> 8)));
        entries.push_back(static_cast<std::uint8_t>(value));
        ++count;
    }
    if (entries.empty()) return {};
    std::vector<std::uint8_t> descriptor{tag, static_cast<std::uint8_t>(entries.size())};
    Append(descriptor, entries);
    return descriptor;
}

std::vector<std::uint8_t> ServiceList(const PanelModel& m, int channel) {
    std::vector<std::uint8_t> entries;
    int count = 0;
    for (const OutputService& service : Services(m)) {
        if (service.OutputChannel != channel || count == kMaxServiceListEntries) continue;
        PutU16(entries, static_cast<std::uint16_t>(service.ServiceId));
        entries.push_back(ServiceTypeOf(m, service.ServiceId));
        ++count;
    }
    std::vector<std::uint8_t> descriptor{kServiceListTag, static_cast<std::uint8_t>(entries.size())};
    Append(descriptor, entries);
    return descriptor;
}

// Bandwidth indexes 0-2 are 6, 7 and 8 MHz; the descriptor codes 8 MHz as 0. Every field is masked to its width
// so that an out-of-range index cannot spill into its neighbours.
std::array<std::uint8_t, kDeliverySize> DeliveryDescriptor(const PanelModel& m, int centreKHz) {
    const std::uint32_t centre =
        centreKHz > 0 ? static_cast<std::uint32_t>(centreKHz) * kTenHertzPerKHz : kUnknownFrequency;
    const int bandwidthCode = (2 - m.Bandwidth) & 0x07;
    const int constellation = m.Constellation & 0x03;
    const int codeRate = m.CodeRate & 0x07;
    const int guard = m.GuardInterval & 0x03;
    const int mode = m.TransmissionMode & 0x03;
    return {kTerrestrialDeliveryTag,
            0x0B,
            static_cast<std::uint8_t>(centre >> 24),
            static_cast<std::uint8_t>(centre >> 16),
            static_cast<std::uint8_t>(centre >> 8),
            static_cast<std::uint8_t>(centre),
            static_cast<std::uint8_t>((bandwidthCode << 5) | 0x1F),
            static_cast<std::uint8_t>((constellation << 6) | codeRate),
            static_cast<std::uint8_t>((codeRate << 5) | (guard << 3) | (mode << 1)),
            0xFF,
            0xFF,
            0xFF,
            0xFF};
}

bool ChannelCarriesServices(const PanelModel& m, int channel) {
    const auto services = Services(m);
    return std::any_of(services.begin(), services.end(),
                       [channel](const OutputService& s) { return s.OutputChannel == channel; });
}

std::vector<std::uint8_t> TransportStreamEntry(const PanelModel& m, int channel, int firstChannelKHz) {
    std::vector<std::uint8_t> descriptors;
    Append(descriptors, kPrivateDataSpecifier);
    Append(descriptors, ChannelNumbers(m, channel, kLogicalChannelTag, &OutputService::Lcn));
    Append(descriptors, ChannelNumbers(m, channel, kHdSimulcastChannelTag, &OutputService::HdLcn));
    Append(descriptors, DeliveryDescriptor(m, ChannelFrequencyKHz(firstChannelKHz, m.Bandwidth, channel)));
    Append(descriptors, ServiceList(m, channel));

    std::vector<std::uint8_t> entry;
    PutU16(entry, static_cast<std::uint16_t>(m.TransportStreamId[channel - 1]));
    PutU16(entry, static_cast<std::uint16_t>(m.NetworkId));
    PutU16(entry, kReservedLengthBits + descriptors.size());
    Append(entry, descriptors);
    return entry;
}

std::vector<std::uint8_t> NetworkNameBytes(const PanelModel& m) {
    std::string latin1 = Utf8ToLatin1(m.NetworkName);
    if (latin1.size() > kMaxNetworkNameLength) latin1.resize(kMaxNetworkNameLength);
    return {latin1.begin(), latin1.end()};
}

}  // namespace

std::uint32_t MpegCrc32(std::span<const std::uint8_t> bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const std::uint8_t byte : bytes) crc = (crc << 8) ^ kCrcTable[((crc >> 24) ^ byte) & 0xFF];
    return crc;
}

int ChannelFrequencyKHz(int firstChannelKHz, int bandwidth, int channel) {
    return firstChannelKHz + (channel - 1) * (6000 + 1000 * bandwidth);
}

int ChannelFrequencyKHz(const PanelModel& m, int channel) {
    return ChannelFrequencyKHz(m.OutputFreqKHz, m.Bandwidth, channel);
}

std::uint8_t ServiceTypeOf(const PanelModel& m, int serviceId) {
    for (int row = 0; row < std::clamp(m.InputCount, 1, kMaxInputRows); ++row) {
        const SiServiceTable& announced = m.InputSiServices[row];
        for (int k = 0; k < std::clamp(announced.count, 0, kMaxServicesPerRow); ++k) {
            if (announced.entries[k].ServiceId != serviceId) continue;
            return announced.entries[k].ServiceKind == kRadio ? kDigitalRadioServiceType : kDigitalTvServiceType;
        }
    }
    for (const auto& [id, type] : m.SectionServiceTypes) {
        if (id == serviceId) return type;
    }
    return kDigitalTvServiceType;
}

std::vector<std::uint8_t> BuildNetworkSection(const PanelModel& m) { return BuildNetworkSection(m, m.OutputFreqKHz); }

std::vector<std::uint8_t> BuildNetworkSection(const PanelModel& m, int firstChannelKHz) {
    // Highest channel first: the firmware lists its transport streams in that order.
    std::vector<std::uint8_t> loop;
    for (int channel = std::clamp(m.OutputChannelCount, 0, kMaxOutputChannels); channel >= 1; --channel) {
        if (ChannelCarriesServices(m, channel)) Append(loop, TransportStreamEntry(m, channel, firstChannelKHz));
    }
    const std::vector<std::uint8_t> name = NetworkNameBytes(m);

    std::vector<std::uint8_t> section;
    section.reserve(kHeaderSize + 2 + name.size() + 2 + loop.size() + kSectionCrcSize);
    section.push_back(kNitActualTableId);
    const std::size_t afterLength = kHeaderSize - 3 + 2 + name.size() + 2 + loop.size() + kSectionCrcSize;
    PutU16(section, kReservedLengthBits + afterLength);
    PutU16(section, static_cast<std::uint16_t>(m.NetworkId));
    section.push_back(static_cast<std::uint8_t>(0xC1 | ((m.NitVersion & 0x1F) << 1)));
    section.push_back(0x00);
    section.push_back(0x00);
    PutU16(section, kReservedLengthBits + 2 + name.size());
    section.push_back(kNetworkNameTag);
    section.push_back(static_cast<std::uint8_t>(name.size()));
    Append(section, name);
    PutU16(section, kReservedLengthBits + loop.size());
    Append(section, loop);
    PutU32(section, MpegCrc32(section));
    return section;
}

}  // namespace kelvane
