#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kelvane {

// Latin-1 (ISO/IEC 8859-1): one byte per character, the character of the same code. The rack's own texts are
// written so, and it is the table a broadcast or CAM text uses when it names none.
std::string Latin1ToUtf8(std::span<const std::uint8_t> bytes);
void AppendLatin1AsUtf8(std::string& text, std::uint8_t byte);

// UTF-8 back to Latin-1 bytes: a character beyond U+00FF has no byte and a bad byte is no character; each
// becomes '?'.
std::string Utf8ToLatin1(std::string_view text);

}  // namespace kelvane
