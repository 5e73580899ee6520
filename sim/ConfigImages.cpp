#include "sim/ConfigImages.h"

#include "sim/BigEndian.h"
#include "sim/NetworkSection.h"

#include <algorithm>
#include <array>

namespace kelvane::sim {
namespace {

constexpr std::array<std::uint8_t, 30> kLevelTable{9,  10, 11, 12, 14, 16, 18,  20,  22,  25,  28,  32,  36,  40,  45,
                                                   50, 57, 64, 71, 80, 90, 101, 113, 127, 143, 160, 180, 202, 227, 255};

void PutInputRow(std::vector<std::uint8_t>& out, const InputRow& row) {
    const std::size_t n = std::min(row.services.size(), kMaxByteCount);
    PutU16(out, InputFrequencyWord(row.frequencyMHz));
    PutU16(out, row.symbolRate);
    out.push_back(row.setting);
    out.push_back(static_cast<std::uint8_t>(n));
    for (std::size_t i = 0; i < n; ++i) PutU16(out, row.services[i].serviceId);
    for (std::size_t i = 0; i < n; ++i) out.push_back(row.services[i].cam);
}

// The service entries: ids only plus the activation mask on a KXD400, id and flags elsewhere.
void PutOutputServices(std::vector<std::uint8_t>& out, const OutputSettings& s, std::size_t n) {
    const bool oneChannel = OutputChannelCount(s.type) == 1;
    std::uint16_t mask = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const OutputService& service = s.services[i];
        PutU16(out, service.serviceId);
        if (!oneChannel) {
            out.push_back(
                static_cast<std::uint8_t>((service.activated ? kActivatedFlag : 0) | (service.channel & kChannelBits)));
        } else if (service.activated && i < kMaskBits) {
            mask = static_cast<std::uint16_t>(mask | (1u << i));
        }
    }
    if (oneChannel) {
        out.push_back(kMaskMarker);
        PutU16(out, mask);
    }
}

void PutNetworkPart(std::vector<std::uint8_t>& out, const OutputSettings& s, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) PutU16(out, s.services[i].lcn);
    for (std::size_t i = 0; i < n; ++i) PutU16(out, s.services[i].hdLcn);
    PutU16(out, s.networkId);
    for (std::size_t k = 0; k < OutputChannelSlots(s.type); ++k) {
        PutU16(out, k < s.transportStreamIds.size() ? s.transportStreamIds[k] : 0);
    }
}

}  // namespace

std::uint16_t InputFrequencyWord(int frequencyMHz) {
    if (frequencyMHz < kHighBandFromMHz) {
        return static_cast<std::uint16_t>((frequencyMHz - kLowBandBaseMHz) & kIntermediateMHzBits);
    }
    return static_cast<std::uint16_t>(kHighBandBit | ((frequencyMHz - kHighBandBaseMHz) & kIntermediateMHzBits));
}

int InputFrequencyMHz(std::uint16_t word) {
    return (word & kIntermediateMHzBits) + ((word & kHighBandBit) != 0 ? kHighBandBaseMHz : kLowBandBaseMHz);
}

std::vector<std::uint8_t> InputImage(std::span<const InputRow> rows) {
    std::vector<std::uint8_t> image;
    for (const InputRow& row : rows) PutInputRow(image, row);
    return image;
}

std::vector<std::uint8_t> PlayerImage(std::span<const InputRow> rows, const PlayerTail& tail) {
    std::vector<std::uint8_t> image = InputImage(rows);
    const std::size_t entries = std::min(tail.schedule.size(), kMaxByteCount);
    PutU16(image, tail.serviceId);
    image.push_back(static_cast<std::uint8_t>(entries));
    for (std::size_t i = 0; i < entries; ++i) {
        PutU32(image, tail.schedule[i].startMinute);
        PutU32(image, tail.schedule[i].endMinute);
        PutText(image, tail.schedule[i].file);
    }
    image.push_back(tail.rateIndex);
    PutText(image, tail.serviceName);
    return image;
}

std::uint8_t LevelByte(int levelStep) {
    const int index = std::clamp(levelStep, 1, static_cast<int>(kLevelTable.size())) - 1;
    return kLevelTable[static_cast<std::size_t>(index)];
}

std::vector<std::uint8_t> OutputImage(const OutputSettings& s) {
    const std::size_t n = std::min(s.services.size(), kMaxByteCount);
    std::vector<std::uint8_t> image;
    PutU16(image, s.frequencyKHz / kOutputFrequencyStepKHz);
    image.insert(image.end(), {s.bandwidth, s.codeRate, s.constellation, s.mode, s.guard, LevelByte(s.levelStep)});
    image.push_back(static_cast<std::uint8_t>(n));
    PutOutputServices(image, s, n);
    PutNetworkPart(image, s, n);

    const std::vector<std::uint8_t> section = NetworkSection(s);
    PutU16(image, static_cast<std::uint32_t>(section.size() + 2));
    image.insert(image.end(), {0x00, 0x00});
    image.insert(image.end(), section.begin(), section.end());
    image.push_back(s.removeCatEmm ? 1 : 0);
    return image;
}

}  // namespace kelvane::sim
