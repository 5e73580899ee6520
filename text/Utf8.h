#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kelvane {

// One strict reading of UTF-8 for the whole program: a sequence is a character only in its shortest form
// ("\xC0\xAF" is no '/'), never a UTF-16 surrogate and never beyond U+10FFFF. Anything else is one bad byte at
// a time, so that every function here counts a stray continuation byte the same way.

// U+FFFD, what stands for a character that could not be read.
constexpr char32_t kReplacementCharacter = 0xFFFD;

// A UTF-16 surrogate: half of a pair, never a character of its own in UTF-8 or UCS-2.
constexpr bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// The character that starts at `position`, moving `position` past it; nothing, and `position` moved past
// one byte, when no valid sequence starts there. `position` must be inside `bytes`.
std::optional<char32_t> NextUtf8Character(std::span<const std::uint8_t> bytes, std::size_t& position);
std::optional<char32_t> NextUtf8Character(std::string_view text, std::size_t& position);

// Appends `character` as UTF-8; a surrogate or a value beyond U+10FFFF is appended as U+FFFD.
void AppendUtf8(std::string& text, char32_t character);

// The characters of a UTF-8 text; each bad byte counts as one '?'.
std::u32string Utf8Characters(std::string_view text);
// How many characters Utf8Characters finds.
std::size_t Utf8Length(std::string_view text);
// The first `characters` characters of a UTF-8 text, never cut inside one.
std::string Utf8Prefix(std::string_view text, std::size_t characters);

}  // namespace kelvane
