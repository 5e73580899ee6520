#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kelvane::sim {

// Numbers in images and on the wire are big-endian.
inline void PutU16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

inline void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    PutU16(out, value >> 16);
    PutU16(out, value & 0xFFFF);
}

// One byte per character, NUL-terminated, the way module texts are stored.
inline void PutText(std::vector<std::uint8_t>& out, std::string_view text) {
    for (char c : text) out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(0);
}

}  // namespace kelvane::sim
