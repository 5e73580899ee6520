#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kelvane {

// Reads one NUL-terminated text (one byte per character, Latin-1) from `bytes` at `position` into UTF-8 `text`,
// and moves `position` past the NUL. Never reads past `bytes`: a text that runs to the end without its NUL
// is taken as it stands, `position` stops at the end, and the result is false.
bool ReadReplyText(std::string& text, std::span<const std::uint8_t> bytes, std::size_t& position);

// Latin-1 bytes to UTF-8 and back. Characters beyond U+00FF have no byte on the wire and become '?'.
std::string Latin1ToUtf8(std::span<const std::uint8_t> bytes);
void AppendLatin1AsUtf8(std::string& text, std::uint8_t byte);
std::string Utf8ToLatin1(const std::string& text);

// The characters of a UTF-8 text; a byte that starts no valid sequence counts as one '?'.
std::u32string Utf8Characters(const std::string& text);
std::size_t Utf8Length(const std::string& text);
// The first `characters` characters of a UTF-8 text, never cut inside one.
std::string Utf8Prefix(const std::string& text, std::size_t characters);

}  // namespace kelvane
