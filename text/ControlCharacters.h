#pragma once

#include <string>
#include <string_view>

namespace kelvane {

// C0 (U+0000 to U+001F), DEL (U+007F) and C1 (U+0080 to U+009F): characters that a text from outside must not
// pass to a terminal or a control, where they would move the cursor, clear the screen or set a title.
bool IsControlCharacter(char32_t c);

// `utf8` with each control character, and each byte that is no UTF-8 character, replaced by `replacement`
// (which may be empty).
std::string ReplaceControlCharacters(std::string_view utf8, std::string_view replacement);

// A text that came from a module or a file, made safe to print on a terminal: each control character and each
// byte that is no UTF-8 shows as '?'. Every such text a command prints goes through here.
std::string TerminalText(std::string_view utf8);

}  // namespace kelvane
