#pragma once

#include <cstdint>

// What the program asks a common-interface module, and how long it waits (10 ms units).
namespace kelvane::cam {

constexpr std::uint8_t kCamStatusCommand = 0x40;
constexpr std::uint8_t kSendMmiCommand = 0x50;
constexpr std::uint8_t kReadMmiCommand = 0x60;
constexpr int kStatusTimeout = 10;
constexpr int kMmiTimeout = 100;
// The status byte of a slot without a CAM.
constexpr std::uint8_t kNoCam = 0;

}  // namespace kelvane::cam
