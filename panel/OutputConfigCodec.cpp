#include "panel/OutputConfigCodec.h"

#include "app/MessageCatalogue.h"
#include "app/ModuleTypes.h"
#include "text/Latin1.h"
#include "panel/ImageBytes.h"
#include "panel/LevelTable.h"
#include "panel/NetworkSection.h"
#include "config/ImageFields.h"

#include <algorithm>

namespace kelvane {
namespace {

constexpr int kFrequencyUnitKHz = 125;
constexpr std::uint8_t kMaskMarker = 0xFF;
constexpr std::uint8_t kChannelBits = 0x0F;
constexpr int kMaskBits = 16;
constexpr int kLcnWhenAbsentModulo = 1000;
constexpr std::uint8_t kEmphasisOn = 0x86;
constexpr std::uint8_t kEmphasisOff = 0x87;
// Frequency, the five modulation bytes and the level: what an image must hold before it can be rewritten.
constexpr std::size_t kParameterBytes = 8;

// Where the fields after the service entries lie, for an image whose service count is `count`.
struct OutputLayout {
    bool singleChannel;
    std::size_t count;
    std::size_t entrySize() const { return singleChannel ? 2 : 3; }
    std::size_t entry(std::size_t k) const { return kFirstEntryOffset + entrySize() * k; }
    std::size_t mask() const { return kFirstEntryOffset + 2 * count + 1; }
    std::size_t lcns() const { return singleChannel ? 12 + 2 * count : 9 + 3 * count; }
    std::size_t hdLcns() const { return lcns() + 2 * count; }
    std::size_t networkId() const { return lcns() + 4 * count; }
    std::size_t streamIds() const { return networkId() + 2; }
    std::size_t sectionSizeAt(std::size_t streams) const { return streamIds() + 2 * streams; }
};

std::size_t StreamIdCount(bool singleChannel) { return singleChannel ? 1 : kMaxOutputChannels; }

bool IsSingleChannel(const SlotRecord& output) { return output.Type == kSingleChannelOutputType; }

// The section inside an image, empty when its size word is 0 or points beyond the image.
std::span<const std::uint8_t> SectionIn(std::span<const std::uint8_t> bytes, bool singleChannel) {
    const ByteReader image(bytes);
    const OutputLayout layout{singleChannel, image.U8(kServiceCountOffset)};
    const std::size_t at = layout.sectionSizeAt(StreamIdCount(singleChannel));
    const std::size_t sizePlusTwo = image.U16(at);
    if (!image.Has(at, 2) || sizePlusTwo < 2 || !image.Has(at + 4, sizePlusTwo - 2)) return {};
    return bytes.subspan(at + 4, sizePlusTwo - 2);
}

void DecodeParameters(const ByteReader& image, PanelModel& m) {
    if (image.Size() < kParameterBytes) return;
    m.OutputFreqKHz = image.U16(0) * kFrequencyUnitKHz;
    m.Bandwidth = image.U8(2);
    m.CodeRate = image.U8(3);
    m.Constellation = image.U8(4);
    m.TransmissionMode = image.U8(5);
    m.GuardInterval = image.U8(6);
    m.LevelStep = LevelStepOfByte(image.U8(kOutputLevelOffset));
}

void DefaultNetworkFields(PanelModel& m) {
    m.NetworkId = kDefaultNetworkId;
    for (int k = 0; k < kMaxOutputChannels; ++k) m.TransportStreamId[k] = kDefaultTransportStreamId + k;
    m.NitVersion = kDefaultNitVersion;
    m.NetworkName = MessageText(kNoNameText);
}

// The network name as the first network descriptor carries it; the emphasis controls are no characters.
std::string SectionNetworkName(const ByteReader& image, std::size_t section) {
    const std::size_t first = section + kNetworkNameLengthOffset + 1;
    const std::size_t length = image.U8(first - 1);
    std::string name;
    std::size_t characters = 0;
    for (std::size_t i = first; i < first + length && image.Has(i, 1) && characters < kMaxNetworkNameLength; ++i) {
        const std::uint8_t byte = image.U8(i);
        if (byte == kEmphasisOn || byte == kEmphasisOff) continue;
        AppendLatin1AsUtf8(name, byte);
        ++characters;
    }
    return name;
}

// Whatever the image is too short to hold keeps its default, so that a module with a blank image gets a usable
// network on the first write.
void DecodeNetworkFields(const ByteReader& image, const OutputLayout& layout, PanelModel& m) {
    const std::size_t streams = StreamIdCount(layout.singleChannel);
    DefaultNetworkFields(m);
    m.RemoveCatEmm = false;
    if (!image.Has(layout.networkId(), 2)) return;

    m.NetworkId = image.U16(layout.networkId());
    for (std::size_t k = 0; k < streams; ++k) {
        if (image.Has(layout.streamIds() + 2 * k, 2)) m.TransportStreamId[k] = image.U16(layout.streamIds() + 2 * k);
    }
    const std::size_t at = layout.sectionSizeAt(streams);
    const std::size_t sizePlusTwo = image.U16(at);
    const std::size_t section = at + 4;
    if (sizePlusTwo != 0 && image.Has(section, kNetworkNameLengthOffset + 1)) {
        m.NitVersion = SectionVersionOf(image.U8(section + kSectionVersionOffset));
        m.NetworkName = SectionNetworkName(image, section);
    }
    m.RemoveCatEmm = image.U8(at + 2 + sizePlusTwo) != 0;
}

// The service types the section's service list descriptors give, so that a rebuilt section keeps the kind of a
// service whose name the input has not told. Every length is checked against the section before it is used.
void DecodeSectionServiceTypes(std::span<const std::uint8_t> section, PanelModel& m) {
    m.SectionServiceTypes.clear();
    const ByteReader bytes(section);
    if (!bytes.Has(kNetworkDescriptorsOffset, 2) || section.size() < kSectionCrcSize) return;
    const std::size_t end = section.size() - kSectionCrcSize;
    std::size_t at = kNetworkDescriptorsOffset + 2 + (bytes.U16(kNetworkDescriptorsOffset) & 0x0FFF);
    if (at + 2 > end) return;
    const std::size_t loopEnd = std::min(end, at + 2 + (bytes.U16(at) & 0x0FFF));
    at += 2;
    while (at + 6 <= loopEnd) {
        const std::size_t descriptorsEnd = std::min(loopEnd, at + 6 + (bytes.U16(at + 4) & 0x0FFF));
        for (std::size_t d = at + 6; d + 2 <= descriptorsEnd;) {
            const std::size_t bodyEnd = std::min(descriptorsEnd, d + 2 + bytes.U8(d + 1));
            if (bytes.U8(d) == kServiceListTag) {
                for (std::size_t e = d + 2; e + 3 <= bodyEnd; e += 3) {
                    m.SectionServiceTypes.emplace_back(bytes.U16(e), bytes.U8(e + 2));
                }
            }
            d = bodyEnd;
        }
        at = descriptorsEnd;
    }
}

void DecodeServices(const ByteReader& image, const OutputLayout& layout, PanelModel& m) {
    m.OutputServiceCount = 0;
    if (layout.count > kMaxOutputServices) return;
    const std::uint16_t mask = image.U16(layout.mask());
    for (std::size_t k = 0; k < layout.count && image.Has(layout.entry(k), 2); ++k) {
        OutputService& service = m.OutputServices[m.OutputServiceCount++];
        service.ServiceId = image.U16(layout.entry(k));
        const std::uint16_t absent = static_cast<std::uint16_t>(service.ServiceId % kLcnWhenAbsentModulo);
        service.Lcn = image.Has(layout.lcns() + 2 * k, 2) ? image.U16(layout.lcns() + 2 * k) : absent;
        service.HdLcn = image.Has(layout.hdLcns() + 2 * k, 2) ? image.U16(layout.hdLcns() + 2 * k) : absent;
        if (layout.singleChannel) {
            service.OutputChannel = 1;
            service.Activated = k < kMaskBits ? (mask >> k) & 1 : 0;
        } else {
            const std::uint8_t flags = image.U8(layout.entry(k) + 2);
            service.OutputChannel = flags & kChannelBits;
            service.Activated = (flags & kActivatedFlag) != 0 ? 1 : 0;
        }
    }
}

// Without an output the player forwards what its rows pass on, all on its one channel.
void ServicesFromPlayerRows(PanelModel& m) {
    m.OutputServiceCount = 0;
    if (m.InputCount != kMaxInputRows) return;
    for (const InputServiceTable& row : m.InputServices) {
        for (int k = 0; k < std::clamp(row.count, 0, kMaxServicesPerRow); ++k) {
            if (m.OutputServiceCount == kMaxOutputServices) return;
            m.OutputServices[m.OutputServiceCount++] = {row.entries[k].ServiceId, 0, 0, 1, 0};
        }
    }
}

void EncodeServices(const PanelModel& m, bool singleChannel, ImageWriter& out) {
    const int count = std::clamp(m.OutputServiceCount, 0, kMaxOutputServices);
    const auto services = std::span(m.OutputServices).first(static_cast<std::size_t>(count));
    out.U8(static_cast<std::uint8_t>(count));
    std::uint16_t mask = 0;
    for (int k = 0; k < count; ++k) {
        const OutputService& service = services[k];
        out.U16(static_cast<std::uint16_t>(service.ServiceId));
        if (singleChannel) {
            if (service.Activated != 0 && k < kMaskBits) mask = static_cast<std::uint16_t>(mask | (1u << k));
        } else {
            out.U8(static_cast<std::uint8_t>((service.Activated != 0 ? kActivatedFlag : 0) |
                                             (service.OutputChannel & kChannelBits)));
        }
    }
    if (singleChannel) {
        out.U8(kMaskMarker);
        out.U16(mask);
    }
    for (const OutputService& service : services) out.U16(service.Lcn);
    for (const OutputService& service : services) out.U16(service.HdLcn);
}

}  // namespace

void DecodeOutputConfig(const SlotRecord* output, PanelModel& m) {
    if (output == nullptr || m.OutputChannelCount < 1) {
        ServicesFromPlayerRows(m);
        return;
    }
    const ByteReader image(ValidImage(*output));
    const OutputLayout layout{output->Type == kSingleChannelOutputType, image.U8(kServiceCountOffset)};
    DecodeParameters(image, m);
    DecodeNetworkFields(image, layout, m);
    DecodeServices(image, layout, m);
    DecodeSectionServiceTypes(SectionIn(ValidImage(*output), layout.singleChannel), m);
}

std::span<const std::uint8_t> NetworkSectionOf(const SlotRecord& output) {
    return SectionIn(ValidImage(output), IsSingleChannel(output));
}

bool OutputImageRebuildable(const SlotRecord& output) { return output.ConfigLength >= kParameterBytes; }

bool EncodeOutputConfig(const PanelModel& m, SlotRecord& output) {
    if (!IsOutputType(output.Type) || m.OutputChannelCount < 1) return false;
    // An output frequency out of range keeps the one the image had, and the section tells that one. An image
    // too short to have been read has none to keep.
    const bool inRange = m.OutputFreqKHz >= kOutFreqMinKHz && m.OutputFreqKHz <= kOutFreqMaxKHz;
    if (!inRange && !OutputImageRebuildable(output)) return false;
    const bool singleChannel = IsSingleChannel(output);
    ImageWriter out;
    const std::uint16_t frequencyWord = inRange ? static_cast<std::uint16_t>(m.OutputFreqKHz / kFrequencyUnitKHz)
                                                : ByteReader(ValidImage(output)).U16(0);
    out.U16(frequencyWord);
    out.U8(static_cast<std::uint8_t>(m.Bandwidth));
    out.U8(static_cast<std::uint8_t>(m.CodeRate));
    out.U8(static_cast<std::uint8_t>(m.Constellation));
    out.U8(static_cast<std::uint8_t>(m.TransmissionMode));
    out.U8(static_cast<std::uint8_t>(m.GuardInterval));
    out.U8(LevelTable()[static_cast<std::size_t>(std::clamp(m.LevelStep, 1, kLevelStepCount) - 1)]);
    EncodeServices(m, singleChannel, out);
    out.U16(static_cast<std::uint16_t>(m.NetworkId));
    for (std::size_t k = 0; k < StreamIdCount(singleChannel); ++k) {
        out.U16(static_cast<std::uint16_t>(m.TransportStreamId[k]));
    }
    const std::vector<std::uint8_t> section = BuildNetworkSection(m, frequencyWord * kFrequencyUnitKHz);
    out.U16(static_cast<std::uint16_t>(section.size() + 2));
    out.U8(0x00);
    out.U8(0x00);
    out.Append(section);
    out.U8(m.RemoveCatEmm ? 1 : 0);
    return out.StoreInto(output);
}

std::vector<std::uint16_t> CamServiceIds(const PanelModel& m) {
    std::vector<std::uint16_t> ids;
    for (int r = 0; r < std::clamp(m.ServiceRowCount, 0, kMaxServiceRows); ++r) {
        if (m.ServiceRows[r].Cam != 0) ids.push_back(m.ServiceRows[r].ServiceId);
    }
    return ids;
}

}  // namespace kelvane
