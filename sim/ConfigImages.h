#pragma once

#include "sim/ModuleModels.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kelvane::sim {

// Builders of the configuration images that input and output modules keep, in the byte layouts the program
// decodes; the readers in ImageDecoding.h take the same layouts apart. Counts live in single bytes: services
// beyond 255 in a row or an output, and schedule entries beyond 255, are left out of an image.
constexpr std::size_t kMaxByteCount = 0xFF;

struct InputService {
    std::uint16_t serviceId = 0;
    std::uint8_t cam = 0;  // the CI module (1-4) that descrambles the service, 0 for none
};

struct InputRow {
    int frequencyMHz = 11362;
    std::uint16_t symbolRate = 27500;
    std::uint8_t setting = 0;  // byte 4 of the row: FecByte() for tuners, PolarityByte() for the KXC300
    std::vector<InputService> services;
};

// An input's frequency word: the MHz above the universal LNB's low-band oscillator, the high band's bit set when
// the frequency is above its start, counting then from the high band's oscillator.
constexpr int kLowBandBaseMHz = 9750;
constexpr int kHighBandBaseMHz = 10600;
constexpr int kHighBandFromMHz = 11700;
constexpr std::uint16_t kHighBandBit = 0x8000;
constexpr std::uint16_t kIntermediateMHzBits = 0x7FFF;

// The frequency word of an input row: IF in MHz above 9750, or above 10600 with bit 15 set for the high band.
std::uint16_t InputFrequencyWord(int frequencyMHz);
// The frequency in MHz that a word stands for.
int InputFrequencyMHz(std::uint16_t word);

// FEC index 0-4 ("1/2" to "7/8") as the tuners store it.
constexpr std::uint8_t FecByte(int index) { return static_cast<std::uint8_t>(14 + index); }

// Polarity index 0 ("V") or 1 ("H") as the KXC300 stores it.
constexpr std::uint8_t PolarityByte(int index) { return static_cast<std::uint8_t>(index * 128); }

std::vector<std::uint8_t> InputImage(std::span<const InputRow> rows);

struct ScheduleEntry {
    std::uint32_t startMinute = 0;  // minutes of the day
    std::uint32_t endMinute = 0;
    std::string file;
};

// What follows the three rows of a KXC300 image.
struct PlayerTail {
    std::uint16_t serviceId = 0;
    std::vector<ScheduleEntry> schedule;
    std::uint8_t rateIndex = 1;  // 1-15
    std::string serviceName;
};

std::vector<std::uint8_t> PlayerImage(std::span<const InputRow> rows, const PlayerTail& tail);

// An output's service entry: the id, then on outputs with more than one channel a flags byte (the activation
// bit and the channel). The KXD400 keeps ids only, and after them a marker byte and a mask of the activated
// entries, one bit each for the first 16.
constexpr std::uint8_t kActivatedFlag = 0x80;
constexpr std::uint8_t kChannelBits = 0x0F;
constexpr std::uint8_t kMaskMarker = 0xFF;
constexpr std::size_t kMaskBits = 16;

struct OutputService {
    std::uint16_t serviceId = 0;
    std::uint8_t channel = 1;  // 1-4; a KXD400 has only channel 1
    bool activated = true;
    std::uint16_t lcn = 0;
    std::uint16_t hdLcn = 0;
};

// What the modulation indexes of an output stand for.
constexpr std::array<std::uint64_t, 3> kBandwidthMHz{6, 7, 8};
constexpr std::array<std::uint64_t, 3> kBitsPerCarrier{2, 4, 6};  // QPSK, 16-QAM, 64-QAM
struct CodeRate {
    std::uint64_t num;
    std::uint64_t den;
};
constexpr std::array<CodeRate, 5> kCodeRates{{{1, 2}, {2, 3}, {3, 4}, {5, 6}, {7, 8}}};
constexpr std::array<std::uint64_t, 4> kGuardDivisors{32, 16, 8, 4};  // the guard is 1/divisor of a symbol

// An output image opens with the frequency word (steps of 125 kHz), the five modulation indexes and the level.
constexpr std::uint32_t kOutputFrequencyStepKHz = 125;
constexpr std::size_t kModulationBytes = 8;

struct OutputSettings {
    std::uint8_t type = kKXD410;
    std::uint32_t frequencyKHz = 474000;
    std::uint8_t bandwidth = 2;  // 0 "6 Mhz", 1 "7 Mhz", 2 "8 Mhz"
    std::uint8_t codeRate = 1;  // "1/2", "2/3", "3/4", "5/6", "7/8"
    std::uint8_t constellation = 2;  // "QPSK", "16-QAM", "64-QAM"
    std::uint8_t mode = 1;  // "2K", "8K"
    std::uint8_t guard = 0;  // "1/32", "1/16", "1/8", "1/4"
    int levelStep = 30;  // 1-30, -29 dB to 0 dB
    std::vector<OutputService> services;
    std::uint16_t networkId = 8442;
    std::vector<std::uint16_t> transportStreamIds{100, 101, 102, 103};  // channel 1 first; missing ones are 0
    std::uint8_t nitVersion = 5;  // 0-31
    std::string networkName;
    bool removeCatEmm = false;
};

// The output level byte of a level step (1 dB steps of an 8-bit amplitude); steps outside 1-30 are clamped.
std::uint8_t LevelByte(int levelStep);

// The whole output image, network information section included (see NetworkSection.h).
std::vector<std::uint8_t> OutputImage(const OutputSettings& settings);

}  // namespace kelvane::sim
