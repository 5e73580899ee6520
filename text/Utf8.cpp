#include "text/Utf8.h"

namespace kelvane {
namespace {

constexpr char32_t kLastCharacter = 0x10FFFF;

// Length of the sequence that `lead` starts, and the smallest character that needs that length; 0 for a byte
// that starts none (a continuation byte, or 0xF8 and above).
struct Lead {
    std::size_t length = 0;
    char32_t smallest = 0;
    char32_t bits = 0;
};

Lead ReadLead(std::uint8_t lead) {
    if (lead < 0x80) return {1, 0, lead};
    if ((lead & 0xE0) == 0xC0) return {2, 0x80, lead & 0x1Fu};
    if ((lead & 0xF0) == 0xE0) return {3, 0x800, lead & 0x0Fu};
    if ((lead & 0xF8) == 0xF0) return {4, 0x10000, lead & 0x07u};
    return {};
}

template <typename ByteAt>
std::optional<char32_t> Next(std::size_t size, ByteAt at, std::size_t& position) {
    const Lead lead = ReadLead(at(position));
    if (lead.length == 0 || lead.length > size - position) {
        ++position;
        return std::nullopt;
    }
    char32_t code = lead.bits;
    for (std::size_t k = 1; k < lead.length; ++k) {
        const std::uint8_t next = at(position + k);
        if ((next & 0xC0) != 0x80) {
            ++position;
            return std::nullopt;
        }
        code = (code << 6) | (next & 0x3Fu);
    }
    if (code < lead.smallest || IsSurrogate(code) || code > kLastCharacter) {
        ++position;
        return std::nullopt;
    }
    position += lead.length;
    return code;
}

}  // namespace

std::optional<char32_t> NextUtf8Character(std::span<const std::uint8_t> bytes, std::size_t& position) {
    return Next(
        bytes.size(), [&](std::size_t i) { return bytes[i]; }, position);
}

std::optional<char32_t> NextUtf8Character(std::string_view text, std::size_t& position) {
    return Next(
        text.size(), [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); }, position);
}

void AppendUtf8(std::string& text, char32_t c) {
    if (IsSurrogate(c) || c > kLastCharacter) c = kReplacementCharacter;
    if (c < 0x80) {
        text.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        text.push_back(static_cast<char>(0xC0 | (c >> 6)));
        text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        text.push_back(static_cast<char>(0xE0 | (c >> 12)));
        text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        text.push_back(static_cast<char>(0xF0 | (c >> 18)));
        text.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::u32string Utf8Characters(std::string_view text) {
    std::u32string characters;
    characters.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) characters.push_back(NextUtf8Character(text, i).value_or(U'?'));
    return characters;
}

std::size_t Utf8Length(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) NextUtf8Character(text, i);
    return count;
}

std::string Utf8Prefix(std::string_view text, std::size_t characters) {
    std::size_t i = 0;
    for (std::size_t count = 0; count < characters && i < text.size(); ++count) NextUtf8Character(text, i);
    return std::string(text.substr(0, i));
}

}  // namespace kelvane
