#include "text/ControlCharacters.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

TEST(ControlCharacters, C0DelAndC1AreControlsAndNothingElse) {
    for (char32_t c = 0; c < 0x20; ++c) EXPECT_TRUE(IsControlCharacter(c)) << static_cast<int>(c);
    for (char32_t c = 0x7F; c < 0xA0; ++c) EXPECT_TRUE(IsControlCharacter(c)) << static_cast<int>(c);
    for (const char32_t c : {U' ', U'~', char32_t{0xA0}, char32_t{0xE9}, char32_t{0x2028}, char32_t{0x1F4FA}}) {
        EXPECT_FALSE(IsControlCharacter(c)) << static_cast<int>(c);
    }
}

TEST(ControlCharacters, EscapeSequencesLoseTheirPower) {
    // Clear the screen, then set the terminal's title; the 8-bit CSI; a stray byte that some terminals take as one.
    const std::string hostile =
        "\x1B[2J\x1B]0;pwned\x07Menu\xC2\x9B"
        "31m\x9B"
        "1m\tfin\r\n";
    EXPECT_EQ(ReplaceControlCharacters(hostile, "?"), "?[2J?]0;pwned?Menu?31m?1m?fin??");
    EXPECT_EQ(ReplaceControlCharacters(hostile, ""), "[2J]0;pwnedMenu31m1mfin");
    EXPECT_EQ(ReplaceControlCharacters("Contr\xC3\xB4le \xE2\x82\xAC", "?"), "Contr\xC3\xB4le \xE2\x82\xAC");
    EXPECT_EQ(ReplaceControlCharacters("", "?"), "");
}

}  // namespace
}  // namespace kelvane
