#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kelvane {

// Reads one NUL-terminated text (one byte per character, Latin-1) from `bytes` at `position` into UTF-8
// `text`, and moves `position` past the NUL. Never reads past `bytes`: a text that runs to the end without its NUL
// is taken as it stands, `position` stops at the end, and the result is false.
bool ReadReplyText(std::string& text, std::span<const std::uint8_t> bytes, std::size_t& position);

}  // namespace kelvane
