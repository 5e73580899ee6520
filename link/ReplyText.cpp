#include "link/ReplyText.h"

namespace kelvane {

void AppendLatin1AsUtf8(std::string& text, std::uint8_t byte) {
    if (byte < 0x80) {
        text.push_back(static_cast<char>(byte));
    } else {
        text.push_back(static_cast<char>(0xC0 | (byte >> 6)));
        text.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
}

std::string Latin1ToUtf8(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const std::uint8_t byte : bytes) AppendLatin1AsUtf8(text, byte);
    return text;
}

bool ReadReplyText(std::string& text, std::span<const std::uint8_t> bytes, std::size_t& position) {
    text.clear();
    while (position < bytes.size() && bytes[position] != 0x00) AppendLatin1AsUtf8(text, bytes[position++]);
    if (position >= bytes.size()) {
        position = bytes.size();
        return false;
    }
    ++position;
    return true;
}

namespace {

// Length of the UTF-8 sequence that starts with `lead`, or 0 for a byte that cannot start one.
std::size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 0;
}

}  // namespace

std::u32string Utf8Characters(const std::string& text) {
    std::u32string characters;
    characters.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = SequenceLength(lead);
        for (std::size_t k = 1; k < length; ++k) {
            if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) length = 0;
        }
        if (length == 0) {
            characters.push_back(U'?');
            ++i;
            continue;
        }
        char32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k) code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
        characters.push_back(code);
        i += length;
    }
    return characters;
}

std::string Utf8ToLatin1(const std::string& text) {
    std::string bytes;
    for (const char32_t c : Utf8Characters(text)) bytes.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
    return bytes;
}

std::size_t Utf8Length(const std::string& text) {
    std::size_t characters = 0;
    for (const char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return characters;
}

std::string Utf8Prefix(const std::string& text, std::size_t characters) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && count++ == characters) return text.substr(0, i);
    }
    return text;
}

}  // namespace kelvane
