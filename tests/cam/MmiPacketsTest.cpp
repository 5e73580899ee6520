// The packets the CAM menu sends, byte for byte.

#include "cam/MmiPackets.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

class MmiPackets : public ::testing::Test {
protected:
    Bytes Built(std::uint16_t length) const { return Bytes(buffer.begin(), buffer.begin() + length); }
    std::array<std::uint8_t, kRequestBufferSize> buffer{};
};

TEST_F(MmiPackets, EnterMenuGoesOnTheApplicationInformationSession) {
    EXPECT_EQ(Built(BuildEnterMenu(buffer)),
              (Bytes{0x01, 0x00, 0xA0, 0x09, 0x01, 0x90, 0x02, 0x00, 0x02, 0x9F, 0x80, 0x22, 0x00}));
}

TEST_F(MmiPackets, MenuAnswerCarriesTheChoice) {
    EXPECT_EQ(Built(BuildMenuAnswer(buffer, 3)),
              (Bytes{0x01, 0x00, 0xA0, 0x0A, 0x01, 0x90, 0x02, 0x00, 0x04, 0x9F, 0x88, 0x0B, 0x01, 0x03}));
    EXPECT_EQ(BuildMenuAnswer(buffer, 0), 14);
    EXPECT_EQ(buffer[13], 0x00);
    EXPECT_EQ(BuildMenuAnswer(buffer, 255), 14);
    EXPECT_EQ(buffer[13], 0xFF);
}

TEST_F(MmiPackets, AnswerCarriesTheTextWithItsLengths) {
    EXPECT_EQ(Built(BuildAnswer(buffer, "1234")), (Bytes{0x01, 0x00, 0xA0, 0x0E, 0x01, 0x90, 0x02, 0x00, 0x04, 0x9F,
                                                         0x88, 0x08, 0x05, 0x01, '1', '2', '3', '4'}));
}

TEST_F(MmiPackets, EmptyAnswerIsACancel) {
    EXPECT_EQ(Built(BuildAnswer(buffer, "")),
              (Bytes{0x01, 0x00, 0xA0, 0x0A, 0x01, 0x90, 0x02, 0x00, 0x04, 0x9F, 0x88, 0x08, 0x01, 0x00}));
}

TEST_F(MmiPackets, AnswerCharactersGoOutAsTheirLowBytes) {
    // é is U+00E9; € is U+20AC, whose low byte is 0xAC; a stray continuation byte is one unknown character.
    EXPECT_EQ(AnswerBytes("\xC3\xA9"
                          "a\xE2\x82\xAC"
                          "\x80"),
              (Bytes{0xE9, 'a', 0xAC, '?'}));
    const Bytes packet = Built(BuildAnswer(buffer, "Z\xC3\xBC"));
    EXPECT_EQ(packet.size(), 16u);
    EXPECT_EQ(packet[3], 12);  // L = n + 10 with n = 2 characters
    EXPECT_EQ(packet[12], 3);  // M = n + 1
    EXPECT_EQ(packet[15], 0xFC);
}

TEST_F(MmiPackets, LongAnswersAreCutToWhatTheLengthBytesCanSay) {
    buffer.fill(0xEE);
    const std::string typed(300, '7');
    const Bytes packet = Built(BuildAnswer(buffer, typed));
    ASSERT_EQ(packet.size(), kMaxAnswerLength + 14);
    EXPECT_EQ(packet[3], 0x7F);  // still the short form of a length field
    EXPECT_EQ(packet[12], kMaxAnswerLength + 1);
    EXPECT_EQ(packet.back(), '7');
    EXPECT_EQ(buffer[packet.size()], 0xEE);  // nothing written past the packet
}

TEST_F(MmiPackets, TheLongestAnswerUncutStillFits) {
    const std::string typed(kMaxAnswerLength, 'x');
    EXPECT_EQ(BuildAnswer(buffer, typed), kMaxAnswerLength + 14);
    EXPECT_EQ(AnswerBytes(typed + "y").size(), kMaxAnswerLength);
}

}  // namespace
}  // namespace kelvane
