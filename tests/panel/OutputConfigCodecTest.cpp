#include "panel/OutputConfigCodec.h"

#include "app/MessageCatalogue.h"
#include "panel/LevelTable.h"
#include "panel/NetworkSection.h"
#include "tests/panel/PanelBytes.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

using test::Image;
using test::PanelBytes;
using test::Record;
using test::U16At;

PanelModel Output(std::uint8_t type) {
    PanelModel m;
    m.InputCount = 1;
    m.OutputType = type;
    m.OutputChannelCount = type == 2 ? 1 : type == 5 ? 2 : 4;
    return m;
}

// Every output field away from the decoding defaults.
PanelModel Filled(std::uint8_t type) {
    PanelModel m = Output(type);
    m.OutputFreqKHz = 474000;
    m.Bandwidth = 2;
    m.CodeRate = 1;
    m.Constellation = 2;
    m.TransmissionMode = 1;
    m.GuardInterval = 3;
    m.LevelStep = 29;
    m.NetworkId = 0x3039;
    m.TransportStreamId = {11, 12, 13, 14};
    m.NitVersion = 9;
    m.NetworkName = "R\xC3\xA9seau";
    m.RemoveCatEmm = true;
    const auto channel2 = static_cast<std::uint8_t>(std::min(m.OutputChannelCount, 2));
    m.OutputServices[0] = {101, 1, 0, 1, 1};
    m.OutputServices[1] = {102, 2, 802, channel2, 0};
    m.OutputServices[2] = {103, 0, 0, 1, 1};
    m.OutputServiceCount = 3;
    return m;
}

TEST(OutputConfigCodec, DecodesAHandWrittenOneChannelImage) {
    PanelBytes image;
    image.U16(474000 / 125).Raw({2, 1, 2, 1, 3, 227}).U8(2).U16(101).U16(102).U8(0xFF).U16(0x0002);
    image.U16(5).U16(6).U16(0).U16(906).U16(0x2222).U16(77);
    // The start of a section: version 7, the name "AB" between emphasis on and off; then the check box.
    image.U16(18).U16(0).Raw({0x40, 0xF0, 0x0F, 0x22, 0x22, 0xC1 + 2 * 7, 0, 0, 0xF0, 0x06, 0x40, 0x04});
    image.Raw({0x86, 'A', 'B', 0x87}).U8(1);
    PanelModel m = Output(2);
    const SlotRecord output = Record(2, image.Bytes());
    DecodeOutputConfig(&output, m);
    EXPECT_EQ(m.OutputFreqKHz, 474000);
    EXPECT_EQ(m.GuardInterval, 3);
    EXPECT_EQ(m.LevelStep, 29);
    EXPECT_EQ(m.NetworkId, 0x2222);
    EXPECT_EQ(m.TransportStreamId[0], 77);
    EXPECT_EQ(m.NitVersion, 7);
    EXPECT_EQ(m.NetworkName, "AB");
    EXPECT_TRUE(m.RemoveCatEmm);
    ASSERT_EQ(m.OutputServiceCount, 2);
    EXPECT_EQ(m.OutputServices[0].Activated, 0);
    EXPECT_EQ(m.OutputServices[1].Activated, 1);  // bit 1 of the mask
    EXPECT_EQ(m.OutputServices[1].OutputChannel, 1);
    EXPECT_EQ(m.OutputServices[1].HdLcn, 906);
}

TEST(OutputConfigCodec, ImagesRoundTripForEveryLayout) {
    for (const std::uint8_t type : {2, 5, 6}) {
        SCOPED_TRACE(static_cast<int>(type));
        const PanelModel m = Filled(type);
        SlotRecord output = Record(type, {});
        ASSERT_TRUE(EncodeOutputConfig(m, output));
        const std::vector<std::uint8_t> image = Image(output);

        const bool single = type == 2;
        const std::size_t lcns = single ? 12 + 2 * 3 : 9 + 3 * 3;
        EXPECT_EQ(image[7], LevelTable()[28]);
        if (single) {
            EXPECT_EQ(U16At(image, 16), 0b101u);  // activation mask
        } else {
            EXPECT_EQ(image[11], 0x81);  // activated, channel 1
        }
        EXPECT_EQ(U16At(image, lcns + 2 * 3 + 2), 802u);
        EXPECT_EQ(U16At(image, lcns + 4 * 3), 0x3039u);
        const std::size_t at = lcns + 4 * 3 + 2 + 2 * (single ? 1 : 4);
        const std::vector<std::uint8_t> section = BuildNetworkSection(m);
        EXPECT_EQ(U16At(image, at), section.size() + 2);
        EXPECT_EQ(std::vector<std::uint8_t>(image.begin() + at + 4, image.end() - 1), section);
        EXPECT_EQ(image.back(), 1);

        PanelModel back = Output(type);
        DecodeOutputConfig(&output, back);
        EXPECT_EQ(back.NetworkName, m.NetworkName);
        EXPECT_EQ(back.OutputServices[1].OutputChannel, m.OutputServices[1].OutputChannel);
        SlotRecord again = Record(type, {});
        ASSERT_TRUE(EncodeOutputConfig(back, again));
        EXPECT_EQ(Image(again), image);
    }
}

TEST(OutputConfigCodec, ShortImagesTakeTheDefaults) {
    const int language = LanguageIndex();
    SetLanguageIndex(kEnglish);
    // Seven bytes: the parameters stay as they were, the network fields take their defaults.
    PanelModel m = Filled(5);
    SlotRecord output = Record(5, {0x0E, 0xD0, 0, 0, 0, 0, 0});
    DecodeOutputConfig(&output, m);
    EXPECT_EQ(m.OutputFreqKHz, 474000);
    EXPECT_EQ(m.LevelStep, 29);
    EXPECT_EQ(m.NetworkId, 8442);
    EXPECT_EQ(m.TransportStreamId, (std::array<int, 4>{100, 101, 102, 103}));
    EXPECT_EQ(m.NitVersion, 5);
    EXPECT_EQ(m.NetworkName, "NoName");
    EXPECT_FALSE(m.RemoveCatEmm);
    EXPECT_EQ(m.OutputServiceCount, 0);

    // One service without its LCN tables (id modulo 1000), a network id, two of four stream ids, no section.
    PanelBytes image;
    image.Raw({0x0E, 0xD0, 1, 0, 0, 0, 0, 9}).U8(1).U16(1234).U8(0x83);
    output = Record(5, image.Bytes());
    m = Filled(5);
    DecodeOutputConfig(&output, m);
    EXPECT_EQ(m.OutputFreqKHz, 0x0ED0 * 125);
    EXPECT_EQ(m.LevelStep, 1);
    EXPECT_EQ(m.OutputServices[0].Lcn, 234);
    EXPECT_EQ(m.OutputServices[0].OutputChannel, 3);
    EXPECT_EQ(m.OutputServices[0].Activated, 1);
    image.U16(1).U16(2).U16(0x4444).U16(51).U16(52);
    output = Record(5, image.Bytes());
    m = Filled(5);
    DecodeOutputConfig(&output, m);
    EXPECT_EQ(m.NetworkId, 0x4444);
    EXPECT_EQ(m.TransportStreamId, (std::array<int, 4>{51, 52, 102, 103}));
    EXPECT_EQ(m.NitVersion, 5);
    EXPECT_EQ(m.OutputServices[0].Lcn, 1);
    SetLanguageIndex(language);
}

TEST(OutputConfigCodec, MoreServicesThanTheTableHoldsAreAllDropped) {
    PanelBytes image;
    image.Raw({0x0E, 0xD0, 2, 0, 0, 0, 0, 255}).U8(65);
    for (int k = 0; k < 65 * 3 + 65 * 4; ++k) image.U8(1);
    image.U16(0x5555);
    PanelModel m = Filled(6);
    const SlotRecord output = Record(6, image.Bytes());
    DecodeOutputConfig(&output, m);
    EXPECT_EQ(m.OutputServiceCount, 0);
    EXPECT_EQ(m.NetworkId, 0x5555);  // found behind the 65 entries all the same
}

TEST(OutputConfigCodec, WritesOnlyWhatItMay) {
    // A frequency out of range keeps the image's bytes, and the section tells that frequency.
    PanelModel m = Filled(5);
    SlotRecord output = Record(5, {0x12, 0x34, 0, 0, 0, 0, 0, 9});
    m.OutputFreqKHz = kOutFreqMaxKHz + 1;
    ASSERT_TRUE(EncodeOutputConfig(m, output));
    EXPECT_EQ(U16At(Image(output), 0), 0x1234u);
    PanelModel kept = m;
    kept.OutputFreqKHz = 0x1234 * 125;
    EXPECT_EQ(Image(output), [&] {
        SlotRecord same = Record(5, {});
        EXPECT_TRUE(EncodeOutputConfig(kept, same));
        return Image(same);
    }());

    // An image of 1 to 7 bytes was never read: its first bytes are no frequency to keep, and nothing is
    // made up from what lies behind them.
    for (std::uint16_t length = 1; length < 8; ++length) {
        SlotRecord cut = Record(5, {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE});
        cut.ConfigLength = length;
        EXPECT_FALSE(EncodeOutputConfig(m, cut)) << length;
        EXPECT_EQ(cut.ConfigLength, length);
    }
    m.OutputFreqKHz = kOutFreqMinKHz;
    ASSERT_TRUE(EncodeOutputConfig(m, output));
    EXPECT_EQ(U16At(Image(output), 0), 174000u / 125);

    // 64 services with both numbers on one channel do not fit in 1024 bytes: the record stays as it was.
    m.OutputServiceCount = kMaxOutputServices;
    for (int k = 0; k < kMaxOutputServices; ++k) m.OutputServices[k] = {1000 + k, 1, 1, 1, 0};
    const SlotRecord before = output;
    EXPECT_FALSE(EncodeOutputConfig(m, output));
    EXPECT_EQ(output.ConfigLength, before.ConfigLength);
    EXPECT_EQ(output.Config, before.Config);
    for (int k = 0; k < kMaxOutputServices; ++k) m.OutputServices[k].Lcn = m.OutputServices[k].HdLcn = 0;
    EXPECT_TRUE(EncodeOutputConfig(m, output));

    SlotRecord input = Record(1, {1, 2, 3});
    EXPECT_FALSE(EncodeOutputConfig(m, input));
    EXPECT_EQ(input.ConfigLength, 3);
}

TEST(OutputConfigCodec, WithoutAnOutputThePlayerRowsFillTheOutputServices) {
    PanelModel player;
    player.InputCount = 3;
    player.InputServices[0].count = 2;
    player.InputServices[0].entries[1] = {12, 1};
    player.InputServices[2].count = 1;
    player.InputServices[2].entries[0] = {31, 0};
    DecodeOutputConfig(nullptr, player);
    ASSERT_EQ(player.OutputServiceCount, 3);
    EXPECT_EQ(player.OutputServices[1].ServiceId, 12);
    EXPECT_EQ(player.OutputServices[2].OutputChannel, 1);
    for (InputServiceTable& row : player.InputServices) row.count = kMaxServicesPerRow;
    DecodeOutputConfig(nullptr, player);
    EXPECT_EQ(player.OutputServiceCount, kMaxOutputServices);

    PanelModel tuner;
    tuner.InputServices[0].count = 1;
    tuner.OutputServiceCount = 4;
    DecodeOutputConfig(nullptr, tuner);
    EXPECT_EQ(tuner.OutputServiceCount, 0);
}

TEST(OutputConfigCodec, CamServiceIdsAndChannelFrequencies) {
    PanelModel m = Output(6);
    m.ServiceRowCount = 3;
    m.ServiceRows[0] = {0, 5, "", 0, 0, 2};
    m.ServiceRows[1] = {0, 6, "", 0, 0, 0};
    m.ServiceRows[2] = {0, 7, "", 0, 0, 1};
    m.ServiceRows[3] = {0, 8, "", 0, 0, 1};  // beyond the rows in use
    EXPECT_EQ(CamServiceIds(m), (std::vector<std::uint16_t>{5, 7}));

    m.OutputFreqKHz = 474000;
    m.Bandwidth = 2;
    EXPECT_EQ(ChannelFrequencyKHz(m, 2), 482000);
    EXPECT_EQ(ChannelFrequencyKHz(m, 3), 490000);
    EXPECT_EQ(ChannelFrequencyKHz(m, 4), 498000);
}

}  // namespace
}  // namespace kelvane
