#include "panel/EditNumbers.h"
#include "panel/FieldRanges.h"
#include "panel/LevelTable.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <optional>

namespace kelvane {
namespace {

TEST(LevelTable, StepsFollowOneDecibelOfAnEightBitAmplitude) {
    for (int i = 0; i < kLevelStepCount; ++i) {
        EXPECT_EQ(LevelTable()[i], static_cast<int>(255.0 * std::pow(10.0, (i - 29) / 20.0) + 1e-9)) << i;
        EXPECT_EQ(LevelStepOfByte(LevelTable()[i]), i + 1);
    }
    EXPECT_EQ(LevelStepOfByte(0), 1);
    EXPECT_EQ(LevelStepOfByte(13), 5);  // between 12 and 14: the louder
    EXPECT_EQ(LevelStepOfByte(228), 30);  // between 227 and 255
    EXPECT_EQ(AttenuationLabel(1), "-29dB");
    EXPECT_EQ(AttenuationLabel(30), "0dB");
    EXPECT_EQ(PlayerRateLabel(4), "100 Mb/s");
    EXPECT_EQ(PlayerRateLabel(15), "31 Mb/s");
    EXPECT_EQ(PlayerRateMbps(16), 0);  // nothing read beyond the table
    EXPECT_EQ(PlayerRateMbps(-1), 0);
}

TEST(EditNumbers, FieldValuesAreWholeAndInRangeOrNothing) {
    const struct {
        const char* field;
        const char* text;
        std::optional<int> value;
    } cases[] = {
        {"tsid1", "1030", 1030},
        {"tsid1", "65535", 65535},
        {"tsid1", "490000", std::nullopt},
        {"tsid4", "65536", std::nullopt},
        {"tsid1", "12a", std::nullopt},
        {"tsid1", "-5", std::nullopt},
        {"tsid1", " 5", std::nullopt},
        {"tsid1", "", std::nullopt},
        {"tsid1", "99999999999999999999", std::nullopt},
        {"in.freq", "10699", std::nullopt},
        {"in2.freq", "12750", 12750},
        {"out.freq", "862999", 862999},
        {"out.freq", "863000", std::nullopt},
        {"network.version", "32", std::nullopt},
        {"level", "0", std::nullopt},
        {"lcn", "1023", 1023},
        {"lcn", "1024", std::nullopt},
        {"player.sid", "65535", 65535},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.text);
        const FieldRange* range = FindFieldRange(c.field);
        ASSERT_NE(range, nullptr);
        EXPECT_EQ(ParseFieldValue(*range, c.text), c.value);
    }
    EXPECT_EQ(FindFieldRange("tsid5"), nullptr);
    // What a field takes lands in the model and marks the image it belongs to, and only that one.
    PanelModel m;
    SetFieldValue(m, FieldId::StreamId3, 1030);
    EXPECT_EQ(FieldValue(m, FieldId::StreamId3), 1030);
    EXPECT_TRUE(m.OutputDirty);
    EXPECT_FALSE(m.InputDirty);
    SetFieldValue(m, FieldId::Input2SymbolRate, 27500);
    EXPECT_EQ(m.InputSymbolRate[1], 27500);
    EXPECT_TRUE(m.InputDirty && m.RestartOutputs);
}

TEST(EditNumbers, ParsingSaturates) {
    EXPECT_EQ(ParseEditNumber("abc"), 0);
    EXPECT_EQ(ParseEditNumber("  42x"), 42);
    EXPECT_EQ(ParseEditNumber("-17"), -17);
    EXPECT_EQ(ParseEditNumber("2147483648"), INT_MAX);
    EXPECT_EQ(ParseEditNumber(std::string(400, '9')), INT_MAX);
    EXPECT_EQ(ParseEditNumber("-" + std::string(400, '9')), INT_MIN);
}

}  // namespace
}  // namespace kelvane
