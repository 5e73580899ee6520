#include "panel/EditNumbers.h"
#include "panel/LevelTable.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace kelvane {
namespace {

TEST(LevelTable, StepsFollowOneDecibelOfAnEightBitAmplitude) {
    for (int i = 0; i < kLevelStepCount; ++i) {
        EXPECT_EQ(LevelTable()[i], static_cast<int>(255.0 * std::pow(10.0, (i - 29) / 20.0) + 1e-9)) << i;
        EXPECT_EQ(LevelStepOfByte(LevelTable()[i]), i + 1);
    }
    EXPECT_EQ(LevelStepOfByte(0), 1);
    EXPECT_EQ(LevelStepOfByte(13), 5);    // between 12 and 14: the louder
    EXPECT_EQ(LevelStepOfByte(228), 30);  // between 227 and 255
    EXPECT_EQ(AttenuationLabel(1), "-29dB");
    EXPECT_EQ(AttenuationLabel(30), "0dB");
    EXPECT_EQ(PlayerRateLabel(4), "100 Mb/s");
    EXPECT_EQ(PlayerRateLabel(15), "31 Mb/s");
    EXPECT_EQ(PlayerRateMbps(16), 0);  // nothing read beyond the table
    EXPECT_EQ(PlayerRateMbps(-1), 0);
}

TEST(EditNumbers, SanitisingAndParsing) {
    EXPECT_EQ(SanitizedNumber("474000"), "474000");
    EXPECT_EQ(SanitizedNumber(""), "0");
    EXPECT_EQ(SanitizedNumber("12a"), "0");  // two digits and a letter
    EXPECT_EQ(SanitizedNumber("-5"), "0");
    EXPECT_EQ(SanitizedNumber(" 5"), "0");
    EXPECT_EQ(ParseEditNumber("abc"), 0);
    EXPECT_EQ(ParseEditNumber("  42x"), 42);
    EXPECT_EQ(ParseEditNumber("-17"), -17);
    EXPECT_EQ(ParseEditNumber("2147483648"), INT_MAX);
    EXPECT_EQ(ParseEditNumber(std::string(400, '9')), INT_MAX);
    EXPECT_EQ(ParseEditNumber("-" + std::string(400, '9')), INT_MIN);
}

}  // namespace
}  // namespace kelvane
