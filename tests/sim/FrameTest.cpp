#include "sim/Frame.h"

#include "tests/sim/HexBytes.h"

#include <gtest/gtest.h>

namespace kelvane::sim {
namespace {

using test::Hex;

std::vector<std::uint8_t> Filled(std::size_t n, std::uint8_t value) { return std::vector<std::uint8_t>(n, value); }

TEST(FrameEncoding, ProbeOfTheControllerIsFiveBytes) {
    EXPECT_EQ(EncodeFrame(0x00, kPcAddress, kIdentityCommand, {}), Hex("02 00 FD 10 10"));
}

TEST(FrameEncoding, LengthFormFollowsPayloadSize) {
    struct Case {
        std::size_t length;
        std::uint8_t lowNibble;
        std::size_t lengthBytes;
    };
    for (const Case c :
         {Case{0, 0, 0}, Case{3, 3, 0}, Case{4, 4, 1}, Case{255, 4, 1}, Case{256, 8, 2}, Case{1024, 8, 2}}) {
        const auto frame = EncodeFrame(0x05, kPcAddress, kWriteCommand, Filled(c.length, 0x11));
        SCOPED_TRACE(c.length);
        EXPECT_EQ(frame[3], kWriteCommand | c.lowNibble);
        // start, destination, source, code, length bytes, payload, checksum; 0x11 and the lengths used here
        // are never 0x02, so nothing is doubled.
        EXPECT_EQ(frame.size(), 4 + c.lengthBytes + c.length + 1);
    }
}

TEST(FrameEncoding, TwoLengthBytesGoHighFirst) {
    const auto frame = EncodeFrame(0x05, kPcAddress, kWriteCommand, Filled(0x0134, 0x11));
    EXPECT_EQ(frame[4], 0x01);
    EXPECT_EQ(frame[5], 0x34);
}

TEST(FrameEncoding, EveryStartByteAfterTheHeaderIsDoubledAndCountedOnce) {
    // Payload {0x02, 0x41}: code 0x52 (form 2), checksum 0x52 ^ 0x02 ^ 0x41 = 0x11.
    EXPECT_EQ(EncodeFrame(0x07, kPcAddress, kWriteCommand, Hex("02 41")), Hex("02 07 FD 52 02 02 41 11"));
    // A code byte 0x02 cannot occur, but a length byte can: 0x102 bytes of 0x00 give lengths 0x01 0x02.
    const auto longFrame = EncodeFrame(0x07, kPcAddress, kWriteCommand, Filled(0x102, 0x00));
    EXPECT_EQ(std::vector<std::uint8_t>(longFrame.begin(), longFrame.begin() + 7), Hex("02 07 FD 58 01 02 02"));
}

TEST(FrameEncoding, RequestHeaderBytesAreNeverDoubled) {
    // Destination 0x02 stays single; checksum 0x10.
    EXPECT_EQ(EncodeFrame(0x02, kPcAddress, kIdentityCommand, {}), Hex("02 02 FD 10 10"));
}

TEST(FrameEncoding, ChecksumEqualToStartByteIsDoubled) {
    // 0x12 ^ 0x11 ^ 0x01 = 0x02.
    EXPECT_EQ(EncodeFrame(0x04, kPcAddress, kIdentityCommand, Hex("11 01")), Hex("02 04 FD 12 11 01 02 02"));
}

TEST(FrameEncoding, ReplyOfAnIdentityProbe) {
    const Reply reply{0x00, true, Hex("77 00 1F")};
    EXPECT_EQ(EncodeReply(reply), Hex("02 FD 00 F3 77 00 1F 9B"));
}

TEST(FrameEncoding, ReplyFromAddressTwoDoublesItsSource) {
    // The PC unstuffs from the byte after the start on; a single 0x02 there would open a new frame.
    EXPECT_EQ(EncodeReply(Reply{0x02, true, Hex("77 00 0A")}), Hex("02 FD 02 02 F3 77 00 0A 8E"));
}

TEST(FrameEncoding, RefusedReplyUsesCodeE0) { EXPECT_EQ(EncodeReply(Reply{0x03, false, {}}), Hex("02 FD 03 E0 E0")); }

TEST(FrameEncoding, ChecksumMaskBreaksOnlyTheChecksum) {
    EXPECT_EQ(EncodeReply(Reply{0x00, true, Hex("77 00 1F")}, 0xFF), Hex("02 FD 00 F3 77 00 1F 64"));
    // Checksum 0xF1 ^ 0x0C = 0xFD, broken to 0x02, must still go out doubled.
    EXPECT_EQ(EncodeReply(Reply{0x01, true, Hex("0C")}, 0xFF), Hex("02 FD 01 F1 0C 02 02"));
}

}  // namespace
}  // namespace kelvane::sim
