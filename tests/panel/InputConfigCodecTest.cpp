#include "panel/InputConfigCodec.h"

#include "tests/panel/PanelBytes.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

using test::Image;
using test::PanelBytes;
using test::Record;

PanelModel Input(std::uint8_t type) {
    PanelModel m;
    m.InputType = type;
    m.InputCount = InputRowsOfType(type);
    return m;
}

TEST(InputConfigCodec, SatelliteBandsEncodeAndDecodeBack) {
    const std::pair<int, unsigned> cases[] = {
        {11700, 0x8000 | 1100}, {11699, 1949}, {10700, 950}, {12750, 0x8000 | 2150}};
    for (const auto& [mhz, word] : cases) {
        PanelModel m = Input(1);
        m.InputFreqMHz[0] = mhz;
        SlotRecord input = Record(1, {});
        ASSERT_TRUE(EncodeInputConfig(m, input));
        EXPECT_EQ(test::U16At(Image(input), 0), word) << mhz;
        PanelModel back = Input(1);
        DecodeInputConfig(input, back);
        EXPECT_EQ(back.InputFreqMHz[0], mhz);
    }
}

TEST(InputConfigCodec, PlayerImageRoundTrips) {
    PanelBytes bytes;
    bytes.U16(0x8000 | 1100).U16(27500).U8(0x80).U8(2).U16(101).U16(102).U8(1).U8(0);  // A: 11700 MHz, "H"
    bytes.U16(1949).U16(22000).U8(0x00).U8(1).U16(201).U8(3);  // B: 11699 MHz, "V"
    bytes.U16(950).U16(0).U8(0x00).U8(0);  // C: no services
    bytes.U16(4000).U8(2).U32(480).U32(600).Text("morning.ts").U32(840).U32(900).Text("apr\xE8s.ts");
    bytes.U8(7).Text("Kanal 1");
    PanelModel m = Input(7);
    DecodeInputConfig(Record(7, bytes.Bytes()), m);
    EXPECT_EQ(m.InputFreqMHz[0], 11700);
    EXPECT_EQ(m.InputFecOrPolarity[0], 1);
    EXPECT_EQ(m.InputFecOrPolarity[1], 0);
    EXPECT_EQ(m.InputServices[0].count, 2);
    EXPECT_EQ(m.InputServices[1].entries[0].Cam, 3);
    EXPECT_EQ(m.PlayerServiceId, 4000u);
    ASSERT_EQ(m.ScheduleCount, 2);
    EXPECT_EQ(m.Schedule[0].end, 600u);
    EXPECT_EQ(m.Schedule[1].file, "apr\xC3\xA8s.ts");  // Latin-1 è read into UTF-8
    EXPECT_EQ(m.PlayerRateIndex, 7);
    EXPECT_EQ(m.PlayerServiceName, "Kanal 1");

    SlotRecord rewritten = Record(7, {});
    ASSERT_TRUE(EncodeInputConfig(m, rewritten));
    EXPECT_EQ(Image(rewritten), bytes.Bytes());

    // A tuner row: its FEC code 14-18 is the combo index + 14.
    const PanelBytes tuner = PanelBytes().U16(1949).U16(27500).U8(16).U8(1).U16(0x1234).U8(4);
    PanelModel t = Input(1);
    DecodeInputConfig(Record(1, tuner.Bytes()), t);
    EXPECT_EQ(t.InputFecOrPolarity[0], 2);
    rewritten = Record(1, {});
    ASSERT_TRUE(EncodeInputConfig(t, rewritten));
    EXPECT_EQ(Image(rewritten), tuner.Bytes());
}

TEST(InputConfigCodec, TypeFourWritesThirteenForItsEmptyCombo) {
    PanelModel m = Input(4);
    m.InputFecOrPolarity[0] = -1;  // nothing selected
    SlotRecord input = Record(4, {});
    ASSERT_TRUE(EncodeInputConfig(m, input));
    EXPECT_EQ(input.Config[4], 13);
    DecodeInputConfig(input, m);
    EXPECT_EQ(m.InputFecOrPolarity[0], -1);
}

TEST(InputConfigCodec, ShortImagesAndTablesOverflowingThePanel) {
    // The second CAM byte lies beyond the image and reads as 1; a third, cut id is not taken.
    PanelModel m = Input(1);
    DecodeInputConfig(Record(1, PanelBytes().U16(1).U16(2).U8(14).U8(3).U16(11).U16(12).U8(0x55).Bytes()), m);
    ASSERT_EQ(m.InputServices[0].count, 2);
    EXPECT_EQ(m.InputServices[0].entries[1].Cam, 1);

    // 70 services in row A and 12 schedule entries: the excess is stepped over, what follows still found.
    PanelBytes image;
    image.U16(1000).U16(1).U8(0).U8(70);
    for (int k = 0; k < 70; ++k) image.U16(1000 + k);
    for (int k = 0; k < 70; ++k) image.U8(k % 5);
    image.U16(2000).U16(2).U8(0x80).U8(1).U16(777).U8(2);
    image.U16(3000).U16(3).U8(0).U8(0);
    image.U16(9).U8(12);
    for (int i = 0; i < 12; ++i) image.U32(60 * i).U32(60 * i + 30).Text("f" + std::to_string(i));
    image.U8(5).Text("Player");
    PanelModel p = Input(7);
    DecodeInputConfig(Record(7, image.Bytes()), p);
    ASSERT_EQ(p.InputServices[0].count, kMaxServicesPerRow);
    EXPECT_EQ(p.InputServices[0].entries[63].Cam, 63 % 5);
    ASSERT_EQ(p.InputServices[1].count, 1);
    EXPECT_EQ(p.InputServices[1].entries[0].ServiceId, 777);
    ASSERT_EQ(p.ScheduleCount, kMaxScheduleEntries);
    EXPECT_EQ(p.Schedule[9].file, "f9");
    EXPECT_EQ(p.PlayerRateIndex, 5);
    EXPECT_EQ(p.PlayerServiceName, "Player");
}

TEST(InputConfigCodec, TextsAndImagesThatDoNotFit) {
    PanelModel m = Input(7);
    m.PlayerServiceName = std::string("Caf\xC3\xA9\0X", 7);  // an inner NUL would end the text early
    SlotRecord input = Record(7, {});
    ASSERT_TRUE(EncodeInputConfig(m, input));
    const std::vector<std::uint8_t> image = Image(input);
    EXPECT_EQ(std::vector<std::uint8_t>(image.end() - 6, image.end()),
              (std::vector<std::uint8_t>{'C', 'a', 'f', 0xE9, 'X', 0x00}));

    m.ScheduleCount = kMaxScheduleEntries;
    for (auto& entry : m.Schedule) entry = {0, 10, std::string(120, 'x')};
    const SlotRecord before = input;
    EXPECT_FALSE(EncodeInputConfig(m, input));
    EXPECT_EQ(input.ConfigLength, before.ConfigLength);
    EXPECT_EQ(input.Config, before.Config);
}

}  // namespace
}  // namespace kelvane
