#include "app/ModuleTypes.h"

#include <array>

namespace kelvane {
namespace {

struct ModuleType {
    const char* name;
    ModuleRole role;
};

constexpr std::array<ModuleType, 9> kModuleTypes{{
    {"KXA100", ModuleRole::Controller},
    {"KXB200", ModuleRole::Input},
    {"KXD400", ModuleRole::Output},
    {"KXF600", ModuleRole::CommonInterface},
    {"KXB210", ModuleRole::Input},
    {"KXD410", ModuleRole::Output},
    {"KXD420", ModuleRole::Output},
    {"KXC300", ModuleRole::Input},
    {"KXE500", ModuleRole::Output},
}};

}  // namespace

ModuleRole RoleOf(std::uint8_t type) {
    return type < kModuleTypes.size() ? kModuleTypes[type].role : ModuleRole::Unknown;
}

const char* ModuleTypeName(std::uint8_t type) { return type < kModuleTypes.size() ? kModuleTypes[type].name : ""; }

std::string VersionLabel(std::uint8_t version) {
    return "V" + std::to_string(version / 10) + "." + std::to_string(version % 10);
}

}  // namespace kelvane
