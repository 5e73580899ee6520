#pragma once

#include <cstdint>
#include <string>

namespace kelvane {

// Module type codes as the rack reports them.
enum class ModuleRole { Controller, Input, Output, CommonInterface, Unknown };

constexpr std::uint8_t kControllerType = 0;
constexpr std::uint8_t kPlayerType = 7;
constexpr std::uint8_t kCommonInterfaceType = 3;

ModuleRole RoleOf(std::uint8_t type);
inline bool IsInputType(std::uint8_t type) { return RoleOf(type) == ModuleRole::Input; }
inline bool IsOutputType(std::uint8_t type) { return RoleOf(type) == ModuleRole::Output; }

// The model name shown in the module list ("KXB200"); empty for a code the rack does not define.
const char* ModuleTypeName(std::uint8_t type);

// A firmware version in tenths as shown to the operator: 14 -> "V1.4".
std::string VersionLabel(std::uint8_t version);

}  // namespace kelvane
