#include "panel/RateBar.h"
#include "panel/StatusReplies.h"

#include "tests/panel/PanelBytes.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

using test::PanelBytes;
using Pairs = std::vector<std::pair<std::uint16_t, std::uint16_t>>;

TEST(StatusReplies, InputRowsAndThePlayerByte) {
    const std::vector<std::uint8_t> reply{2, 80, 60, 1, 40, 30, 0, 0, 0, 5};
    const InputStatus player = ParseInputStatus(reply, 3);
    EXPECT_EQ(player.rows, 3);
    EXPECT_EQ(player.lock, (std::array<std::uint8_t, 3>{2, 1, 0}));
    EXPECT_EQ(player.snr[1], 40);
    EXPECT_EQ(player.level[0], 60);
    EXPECT_EQ(player.player, std::optional<std::uint8_t>(5));
    EXPECT_EQ(ParseInputStatus(reply, 1).player, std::optional<std::uint8_t>(1));
}

TEST(StatusReplies, ChannelRatesAndServicePairs) {
    PanelBytes reply;
    reply.U32(0);
    for (int k = 0; k < 4; ++k) reply.U32(12345678 + k).U32(24000000).U32(0xDEADBEEF);
    reply.U16(101).U16(300).U16(102).U16(0x8000 | 50).U8(0x01);  // a pair cut short at the end
    const OutputRates rates = ParseOutputRates(reply.Bytes(), 2, 5);
    ASSERT_EQ(rates.channels.size(), 2u);
    EXPECT_EQ(rates.channels[1], (ChannelRate{12345679, 24000000}));
    EXPECT_EQ(ChannelRateLabel(rates.channels[0]), "12345/24000 Kbit/s");
    EXPECT_EQ(rates.services, (Pairs{{101, 300}, {102, 0x8000 | 50}}));  // type 5: from offset 52 all the same

    const PanelBytes oneChannel = PanelBytes().U32(0).U32(999).U32(1999).U32(0).U16(7).U16(70);
    const OutputRates single = ParseOutputRates(oneChannel.Bytes(), 1, 2);
    EXPECT_EQ(ChannelRateLabel(single.channels.at(0)), "0/1 Kbit/s");
    EXPECT_EQ(single.services, (Pairs{{7, 70}}));

    PanelModel m;
    m.ServiceRowCount = 3;
    m.ServiceRows[0] = {0, 1, "", 0, 0, 0, 0, 0, 0, 99};
    m.ServiceRows[1].ServiceId = 2;
    m.ServiceRows[2].ServiceId = 1;
    ApplyServiceRates(m, {{1, 10}, {3, 30}});
    EXPECT_EQ(m.ServiceRows[0].Rate, 10);
    EXPECT_EQ(m.ServiceRows[1].Rate, 0);
    EXPECT_EQ(m.ServiceRows[2].Rate, 10);
}

PanelModel Rates(std::initializer_list<std::uint16_t> rates) {
    PanelModel m;
    for (const std::uint16_t rate : rates) m.ServiceRows[m.ServiceRowCount++].Rate = rate;
    return m;
}

TEST(RateBar, SegmentsShareTheWidthByRate) {
    EXPECT_EQ(
        RateBarRects(PanelModel{}, 200, 20, {}),
        (std::vector<RateBarRect>{{{0, 0, 200, 20}, kRateBarFrameColor, false}, {{1, 1, 198, 18}, ui::kWhite, true}}));
    EXPECT_EQ(RateBarRects(Rates({100, 300, 0}), 200, 20, {1}),
              (std::vector<RateBarRect>{{{1, 1, 48, 18}, kRateBarRowColor, true},
                                        {{0, 0, 50, 20}, kRateBarFrameColor, false},
                                        {{51, 1, 148, 18}, kRateBarSelectedColor, true},
                                        {{50, 0, 150, 20}, kRateBarFrameColor, false}}));
    // Bit 15 is not counted: 1 and 2 of 3 in 100 pixels end at 33 and 100.
    const std::vector<RateBarRect> rects = RateBarRects(Rates({0x8001, 2}), 100, 10, {});
    ASSERT_EQ(rects.size(), 4u);
    EXPECT_EQ(rects[3].rect, (ui::Rect{33, 0, 67, 10}));
    // All rates 0: every segment is empty, nothing is drawn.
    EXPECT_TRUE(RateBarRects(Rates({0, 0, 0}), 200, 20, {0, 1, 2}).empty());

    PanelModel busy;  // the largest sums do not overflow
    busy.ServiceRowCount = kMaxServiceRows;
    for (ServiceRow& row : busy.ServiceRows) row.Rate = 0x7FFF;
    EXPECT_EQ(RateBarRects(busy, 100000, 10, {}).back().rect.Right(), 100000);
}

}  // namespace
}  // namespace kelvane
