#include "sim/ModuleModels.h"

#include <array>
#include <cctype>

namespace kelvane::sim {
namespace {

constexpr std::array<std::string_view, 9> kModelNames{"KXA100", "KXB200", "KXD400", "KXF600", "KXB210",
                                                      "KXD410", "KXD420", "KXC300", "KXE500"};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

ModuleRole RoleOf(std::uint8_t type) {
    switch (type) {
    case kKXA100: return ModuleRole::Controller;
    case kKXB200:
    case kKXB210:
    case kKXC300: return ModuleRole::Input;
    case kKXD400:
    case kKXD410:
    case kKXD420:
    case kKXE500: return ModuleRole::Output;
    case kKXF600: return ModuleRole::CommonInterface;
    default: return ModuleRole::Unknown;
    }
}

std::string_view ModelName(std::uint8_t type) {
    return type < kModelNames.size() ? kModelNames[type] : std::string_view{};
}

std::optional<std::uint8_t> TypeOfModel(std::string_view name) {
    for (std::size_t i = 0; i < kModelNames.size(); ++i) {
        if (SameIgnoringCase(name, kModelNames[i])) return static_cast<std::uint8_t>(i);
    }
    return std::nullopt;
}

int OutputChannelCount(std::uint8_t type) {
    if (RoleOf(type) != ModuleRole::Output) return 0;
    if (type == kKXD400) return 1;
    return type == kKXD410 ? 2 : 4;
}

std::size_t OutputChannelSlots(std::uint8_t type) {
    if (RoleOf(type) != ModuleRole::Output) return 0;
    return type == kKXD400 ? 1 : 4;
}

int InputRowCount(std::uint8_t type) {
    if (RoleOf(type) != ModuleRole::Input) return 0;
    return type == kKXC300 ? 3 : 1;
}

}  // namespace kelvane::sim
