#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kelvane::sim {

// Module type codes as the rack reports them in its module list.
constexpr std::uint8_t kKXA100 = 0;  // rack controller
constexpr std::uint8_t kKXB200 = 1;  // satellite input
constexpr std::uint8_t kKXD400 = 2;  // one-channel output
constexpr std::uint8_t kKXF600 = 3;  // common-interface (CAM) module
constexpr std::uint8_t kKXB210 = 4;  // satellite input without FEC choice
constexpr std::uint8_t kKXD410 = 5;  // two-channel output
constexpr std::uint8_t kKXD420 = 6;  // four-channel output
constexpr std::uint8_t kKXC300 = 7;  // file player, three input rows
constexpr std::uint8_t kKXE500 = 8;  // four-channel output

enum class ModuleRole { Controller, Input, Output, CommonInterface, Unknown };

ModuleRole RoleOf(std::uint8_t type);

// "KXB200" for 1; empty for a code the rack does not define.
std::string_view ModelName(std::uint8_t type);

// The type code of a model name, ignoring case; none for an unknown name.
std::optional<std::uint8_t> TypeOfModel(std::string_view name);

// Channels an output module carries: 1 for the KXD400, 2 for the KXD410, 4 for the other outputs, 0 otherwise.
int OutputChannelCount(std::uint8_t type);

// The per-channel slots an output reserves in its image (transport stream ids) and in its rate reply: 1 on the
// KXD400, 4 on the other outputs, whatever channels they carry; 0 for other modules.
std::size_t OutputChannelSlots(std::uint8_t type);

// Rows of an input image: 3 for the KXC300, 1 for the other inputs, 0 otherwise.
int InputRowCount(std::uint8_t type);

}  // namespace kelvane::sim
