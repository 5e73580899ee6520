#pragma once

#include <cstdint>
#include <optional>

namespace kelvane {

// The parts of ISO/IEC 8859 (1 to 11, 13 to 15; there is no part 12). Bytes below 0xA0 are the same
// characters in every part (C0, ASCII, DEL, C1); the parts differ from 0xA0 up.
bool IsIso8859Part(int part);

// The character of `byte` in ISO/IEC 8859-`part`; nothing for a byte the part leaves unassigned (0xA5 of
// part 3, for example) or for a part that does not exist.
std::optional<char32_t> Iso8859Character(int part, std::uint8_t byte);

}  // namespace kelvane
