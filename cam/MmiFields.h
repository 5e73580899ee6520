#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kelvane {

// The most length bytes a long-form length field may announce: more cannot describe anything that fits the
// receive buffer, so such a field is taken as broken.
constexpr std::size_t kMaxLengthFieldBytes = 4;

// Reads an EN 50221 length_field at `position`: one byte below 0x80 is the length; a first byte of 0x80 or
// more announces, in its low 7 bits, how many length bytes follow, most significant first. Moves `position`
// past the field. Nothing (and `position` unchanged) when the field runs past `bytes`, announces no length
// bytes or more than kMaxLengthFieldBytes.
std::optional<std::size_t> ReadLengthField(std::span<const std::uint8_t> bytes, std::size_t& position);

// A CAM text as UTF-8, in the character table its first byte selects (Latin-1 when it names none). Control
// characters are kept: the window and kelvane-cli each decide how to show them.
std::string BytesToText(std::span<const std::uint8_t> bytes);

}  // namespace kelvane
