#include "text/ControlCharacters.h"

#include "text/Utf8.h"

namespace kelvane {

bool IsControlCharacter(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

std::string ReplaceControlCharacters(std::string_view utf8, std::string_view replacement) {
    std::string text;
    text.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t start = i;
        const auto c = NextUtf8Character(utf8, i);
        if (!c || IsControlCharacter(*c)) {
            text += replacement;
        } else {
            text += utf8.substr(start, i - start);
        }
    }
    return text;
}

std::string TerminalText(std::string_view utf8) { return ReplaceControlCharacters(utf8, "?"); }

}  // namespace kelvane
