#pragma once

#include "sim/ConfigImages.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kelvane::sim {

// What a module makes of its own configuration image: the inverse of the builders in ConfigImages.h, read
// defensively, since the PC may write any bytes. Whatever an image is too short to hold is simply absent.

struct InputTuning {
    int frequencyMHz = 0;
    std::uint16_t symbolRate = 0;
    std::uint8_t setting = 0;  // FEC code or polarity byte

    bool operator==(const InputTuning&) const = default;
};

struct DecodedInputRow {
    std::optional<InputTuning> tuning;  // none when the image ends inside the row's first five bytes
    std::vector<InputService> services;  // those whose id the image holds; a missing CAM byte reads as 0
};

struct DecodedPlayerTail {
    std::optional<std::uint16_t> serviceId;
    std::vector<std::string> scheduledFiles;  // one per complete schedule entry, in image order
    std::string serviceName;
};

struct DecodedInput {
    std::vector<DecodedInputRow> rows;  // always InputRowCount(type) rows
    DecodedPlayerTail player;  // read for the KXC300 only
};

DecodedInput DecodeInputImage(std::uint8_t type, std::span<const std::uint8_t> image);

struct DecodedOutputService {
    std::uint16_t serviceId = 0;
    std::uint8_t channel = 0;  // 1-15 as stored; 0 = on no channel
};

struct Modulation {
    std::uint8_t bandwidth = 2;  // 0 "6 Mhz", 1 "7 Mhz", 2 "8 Mhz"
    std::uint8_t codeRate = 1;  // "1/2" to "7/8"
    std::uint8_t constellation = 2;  // "QPSK", "16-QAM", "64-QAM"
    std::uint8_t guard = 0;  // "1/32" to "1/4"

    // Whether every index names a setting of the modulator.
    constexpr bool Known() const {
        return bandwidth < kBandwidthMHz.size() && codeRate < kCodeRates.size() &&
               constellation < kBitsPerCarrier.size() && guard < kGuardDivisors.size();
    }
};

struct DecodedOutput {
    std::optional<Modulation> modulation;  // none when the image ends before the level byte
    std::vector<DecodedOutputService> services;
};

DecodedOutput DecodeOutputImage(std::uint8_t type, std::span<const std::uint8_t> image);

}  // namespace kelvane::sim
