#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace kelvane::sim {

// The most a module keeps: the program's slot records hold 1024 configuration bytes.
constexpr std::size_t kMaxConfigLength = 1024;

struct ModuleDescription {
    std::uint8_t type = 0;
    std::uint8_t address = 0;
    std::uint8_t version = 0;  // in tenths: 12 is V1.2
    bool active = true;  // an inactive module answers the identity probe with 0xFF
    std::vector<std::uint8_t> config;
};

// The controller sits at address 0 and is not listed; `modules` are in slot order.
struct RackDescription {
    std::uint8_t controllerVersion = 10;
    bool controllerActive = true;
    std::vector<ModuleDescription> modules;
};

// Whether a rack can be simulated: module addresses distinct and free (not 0, 0xFD or 0xFF), no module of
// type 0, images no longer than kMaxConfigLength. The first problem goes to `error`.
bool ValidateRack(const RackDescription& rack, std::string& error);

// Reads the text form documented in RackDescription.cpp. On failure `rack` is left unchanged and `error` names
// the line and the problem.
bool ParseRackDescription(std::istream& in, RackDescription& rack, std::string& error);

// The text form of a rack, one module a line, which ParseRackDescription reads back to the same rack.
std::string FormatRackDescription(const RackDescription& rack);

}  // namespace kelvane::sim
