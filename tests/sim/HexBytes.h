#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace kelvane::sim::test {

// "02 00 FD 10 10" -> {0x02, 0x00, 0xFD, 0x10, 0x10}: expected line bytes read like a line trace.
inline std::vector<std::uint8_t> Hex(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::uint8_t> bytes;
    for (std::string pair; in >> pair;) bytes.push_back(static_cast<std::uint8_t>(std::stoul(pair, nullptr, 16)));
    return bytes;
}

}  // namespace kelvane::sim::test
