#include "link/ReplyText.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelvane {
namespace {

TEST(ReplyText, ReadsSuccessiveTexts) {
    const std::vector<std::uint8_t> bytes{0x41, 0x42, 0x00, 0x43, 0x00};
    std::size_t position = 0;
    std::string text;
    EXPECT_TRUE(ReadReplyText(text, bytes, position));
    EXPECT_EQ(text, "AB");
    EXPECT_EQ(position, 3u);
    EXPECT_TRUE(ReadReplyText(text, bytes, position));
    EXPECT_EQ(text, "C");
    EXPECT_EQ(position, 5u);
    // Nothing left: an empty text and no progress past the end.
    EXPECT_FALSE(ReadReplyText(text, bytes, position));
    EXPECT_EQ(text, "");
    EXPECT_EQ(position, 5u);
}

TEST(ReplyText, HighBytesAreLatin1Characters) {
    const std::vector<std::uint8_t> bytes{'C', 0xE9, 'c', 0xFC, 0x00};
    std::size_t position = 0;
    std::string text;
    EXPECT_TRUE(ReadReplyText(text, bytes, position));
    EXPECT_EQ(text,
              "C\xC3\xA9"
              "c\xC3\xBC");  // Cécü in UTF-8
}

TEST(ReplyText, TextWithoutTerminatorStopsAtTheEnd) {
    const std::vector<std::uint8_t> bytes{'A', 'B', 'C'};
    std::size_t position = 1;
    std::string text;
    EXPECT_FALSE(ReadReplyText(text, std::span(bytes).first(2), position));
    EXPECT_EQ(text, "B");
    EXPECT_EQ(position, 2u);
    position = 7;
    EXPECT_FALSE(ReadReplyText(text, bytes, position));
    EXPECT_EQ(position, 3u);
}

}  // namespace
}  // namespace kelvane
