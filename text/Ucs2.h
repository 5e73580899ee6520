#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kelvane {

// Two-byte UCS-2, most significant byte first, appended to `utf8`. A surrogate (UCS-2 has none) becomes U+FFFD,
// and an odd last byte is left out; either makes the result false. The broadcast's two-byte control codes
// U+E080 to U+E09F are taken as the one-byte ones, U+0080 to U+009F, so that they are handled alike.
bool AppendUcs2AsUtf8(std::string& utf8, std::span<const std::uint8_t> bytes);

}  // namespace kelvane
