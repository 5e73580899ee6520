#include "text/Latin1.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelvane {
namespace {

TEST(Latin1, EveryByteRoundTripsThroughUtf8) {
    std::vector<std::uint8_t> all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<std::uint8_t>(i);
    const std::string utf8 = Latin1ToUtf8(all);
    EXPECT_EQ(utf8.size(), 128u + 2 * 128u);
    EXPECT_EQ(utf8.substr(0xE9 * 2 - 128, 2), "\xC3\xA9");
    const std::string back = Utf8ToLatin1(utf8);
    ASSERT_EQ(back.size(), 256u);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(static_cast<std::uint8_t>(back[i]), i);
}

TEST(Latin1, WhatHasNoByteBecomesAQuestionMark) {
    EXPECT_EQ(Utf8ToLatin1("\xE2\x82\xAC"
                           "5"),
              "?5");  // the euro sign has no Latin-1 byte
    EXPECT_EQ(Utf8ToLatin1("a\xC3"), "a?");  // a sequence cut short
    EXPECT_EQ(Utf8ToLatin1("\xFF"
                           "b"),
              "?b");
    EXPECT_EQ(Utf8ToLatin1("\xC0\xAF"), "??");  // an overlong '/' is no '/'
    EXPECT_EQ(Utf8ToLatin1("a\x80"
                           "b"),
              "a?b");
}

}  // namespace
}  // namespace kelvane
