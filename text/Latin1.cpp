#include "text/Latin1.h"

#include "text/Utf8.h"

namespace kelvane {

void AppendLatin1AsUtf8(std::string& text, std::uint8_t byte) { AppendUtf8(text, byte); }

std::string Latin1ToUtf8(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const std::uint8_t byte : bytes) AppendLatin1AsUtf8(text, byte);
    return text;
}

std::string Utf8ToLatin1(std::string_view text) {
    std::string bytes;
    for (const char32_t c : Utf8Characters(text)) bytes.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
    return bytes;
}

}  // namespace kelvane
