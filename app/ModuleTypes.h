#pragma once

#include <cstdint>
#include <string>

namespace kelvane {

// Module type codes as the rack reports them.
enum class ModuleRole { Controller, Input, Output, CommonInterface, Unknown };

constexpr std::uint8_t kControllerType = 0;
constexpr std::uint8_t kCommonInterfaceType = 3;
// The satellite tuner whose image holds a FEC choice, and the one that holds none.
constexpr std::uint8_t kFecTunerType = 1;
constexpr std::uint8_t kPlainTunerType = 4;
constexpr std::uint8_t kPlayerType = 7;
// The outputs by their channel count: the single-channel one (whose images differ from the others'), the
// two-channel one; the others carry four.
constexpr std::uint8_t kSingleChannelOutputType = 2;
constexpr std::uint8_t kTwoChannelOutputType = 5;

ModuleRole RoleOf(std::uint8_t type);
inline bool IsInputType(std::uint8_t type) { return RoleOf(type) == ModuleRole::Input; }
inline bool IsOutputType(std::uint8_t type) { return RoleOf(type) == ModuleRole::Output; }

// The model name shown in the module list ("KXB200"); empty for a code the rack does not define.
const char* ModuleTypeName(std::uint8_t type);

// A firmware version in tenths as shown to the operator: 14 -> "V1.4".
std::string VersionLabel(std::uint8_t version);

}  // namespace kelvane
