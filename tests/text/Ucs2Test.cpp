#include "text/Ucs2.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelvane {
namespace {

std::string Ucs2(const std::vector<std::uint8_t>& bytes, bool& complete) {
    std::string utf8;
    complete = AppendUcs2AsUtf8(utf8, bytes);
    return utf8;
}

TEST(Ucs2, PairsOfBytesMostSignificantFirst) {
    bool complete = false;
    EXPECT_EQ(Ucs2({0x00, 'O', 0x00, 'K', 0x04, 0x1C, 0x20, 0xAC, 0x4E, 0x2D}, complete),
              "OK\xD0\x9C\xE2\x82\xAC\xE4\xB8\xAD");
    EXPECT_TRUE(complete);
    EXPECT_EQ(Ucs2({}, complete), "");
    EXPECT_TRUE(complete);
}

TEST(Ucs2, SurrogatesAndAnOddLastByteAreNoCharacters) {
    bool complete = true;
    EXPECT_EQ(Ucs2({0xD8, 0x3D, 0xDC, 0xFA, 0x00, 'a'}, complete),
              "\xEF\xBF\xBD\xEF\xBF\xBD"
              "a");
    EXPECT_FALSE(complete);
    complete = true;
    EXPECT_EQ(Ucs2({0x00, 'a', 0x00}, complete), "a");
    EXPECT_FALSE(complete);
}

TEST(Ucs2, TwoByteControlCodesAreTheOneByteOnes) {
    bool complete = false;
    EXPECT_EQ(Ucs2({0xE0, 0x8A, 0xE0, 0x86, 0xE0, 0x9F, 0xE0, 0xA0}, complete), "\xC2\x8A\xC2\x86\xC2\x9F\xEE\x82\xA0");
    EXPECT_TRUE(complete);
}

}  // namespace
}  // namespace kelvane
