#include "text/Utf8.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelvane {
namespace {

TEST(Utf8, ValidSequencesOfEveryLength) {
    EXPECT_EQ(Utf8Characters("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x93\xBA"), (std::u32string{U'a', 0xE9, 0x20AC, 0x1F4FA}));
    EXPECT_EQ(Utf8Characters("\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"),
              (std::u32string{0x7F, 0x80, 0x7FF, 0x800, 0xFFFF, 0x10000, 0x10FFFF}));
}

TEST(Utf8, OverlongFormsSurrogatesAndValuesBeyondUnicodeAreRefused) {
    for (const std::string bad :
         {"\xC0\xAF", "\xC1\xBF", "\xE0\x80\xAF", "\xE0\x9F\xBF", "\xF0\x80\x80\xAF", "\xF0\x8F\xBF\xBF",
          "\xED\xA0\x80", "\xED\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xF8\x88\x80\x80\x80", "\xFF"}) {
        const std::u32string characters = Utf8Characters(bad);
        EXPECT_EQ(characters, std::u32string(bad.size(), U'?')) << testing::PrintToString(bad);
        EXPECT_EQ(Utf8Length(bad), bad.size()) << testing::PrintToString(bad);
        std::size_t position = 0;
        EXPECT_FALSE(NextUtf8Character(bad, position).has_value());
        EXPECT_EQ(position, 1u);
    }
}

TEST(Utf8, EveryFunctionCountsBadBytesAlike) {
    for (const std::string text : {"a\x80"
                                   "b",
                                   "\xC3",
                                   "a\xC3"
                                   "b",
                                   "\xE2\x82"
                                   "A",
                                   "\xC0\xAF"
                                   "x",
                                   "\xBF\xBF"}) {
        const std::size_t characters = Utf8Characters(text).size();
        EXPECT_EQ(Utf8Length(text), characters) << testing::PrintToString(text);
        EXPECT_EQ(Utf8Prefix(text, characters), text);
        // Every prefix ends where the characters counted so far end.
        for (std::size_t n = 0; n <= characters; ++n) {
            EXPECT_EQ(Utf8Length(Utf8Prefix(text, n)), n) << testing::PrintToString(text) << " " << n;
        }
    }
    EXPECT_EQ(Utf8Length("a\x80"
                         "b"),
              3u);
}

TEST(Utf8, PrefixNeverCutsInsideACharacter) {
    const std::string text = "\xC3\xA9t\xC3\xA9\xE2\x82\xAC";
    EXPECT_EQ(Utf8Prefix(text, 0), "");
    EXPECT_EQ(Utf8Prefix(text, 1), "\xC3\xA9");
    EXPECT_EQ(Utf8Prefix(text, 3), "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(Utf8Prefix(text, 4), text);
    EXPECT_EQ(Utf8Prefix(text, 40), text);
}

TEST(Utf8, AppendWritesEachLengthAndReplacesWhatIsNoCharacter) {
    std::string text;
    for (const char32_t c : {U'a', char32_t{0xE9}, char32_t{0x20AC}, char32_t{0x1F4FA}}) AppendUtf8(text, c);
    EXPECT_EQ(text, "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x93\xBA");
    text.clear();
    AppendUtf8(text, 0xD800);
    AppendUtf8(text, 0x110000);
    EXPECT_EQ(text, "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Utf8, BytesAndTextsAreReadAlike) {
    const std::vector<std::uint8_t> bytes{0xE2, 0x82, 0xAC, 0x80};
    std::size_t position = 0;
    EXPECT_EQ(NextUtf8Character(bytes, position), char32_t{0x20AC});
    EXPECT_EQ(position, 3u);
    EXPECT_FALSE(NextUtf8Character(bytes, position).has_value());
    EXPECT_EQ(position, 4u);
}

}  // namespace
}  // namespace kelvane
