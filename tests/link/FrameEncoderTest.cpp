#include "link/FrameEncoder.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Encode(std::uint8_t address, std::uint8_t command, const Bytes& payload) {
    FrameEncoder encoder;
    EXPECT_TRUE(encoder.Encode(address, command, payload));
    const auto bytes = encoder.Bytes();
    return {bytes.begin(), bytes.end()};
}

// Undoes the stuffing after the three header bytes, so that checks can look at values.
Bytes Unstuff(const Bytes& frame) {
    Bytes out(frame.begin(), frame.begin() + 3);
    for (std::size_t i = 3; i < frame.size(); ++i) {
        out.push_back(frame[i]);
        if (frame[i] == 0x02) {
            EXPECT_LT(i + 1, frame.size());
            EXPECT_EQ(frame[i + 1], 0x02) << "a lone 0x02 at " << i;
            ++i;
        }
    }
    return out;
}

TEST(FrameEncoder, IdentityProbeIsFiveBytes) {
    EXPECT_EQ(Encode(0x00, 0x10, {}), (Bytes{0x02, 0x00, 0xFD, 0x10, 0x10}));
}

TEST(FrameEncoder, LengthFormFollowsPayloadSize) {
    struct Case {
        std::size_t length;
        std::uint8_t nibble;
        Bytes lengthBytes;
    };
    const Case cases[] = {
        {0, 0x00, {}},
        {3, 0x03, {}},
        {4, 0x04, {0x04}},
        {255, 0x04, {0xFF}},
        {256, 0x08, {0x01, 0x00}},
        {1024, 0x08, {0x04, 0x00}},
    };
    for (const Case& c : cases) {
        const Bytes frame = Encode(0x05, 0x50, Bytes(c.length, 0x11));
        ASSERT_GE(frame.size(), 4u);
        EXPECT_EQ(frame[3], 0x50 | c.nibble) << "length " << c.length;
        EXPECT_EQ(Bytes(frame.begin() + 4, frame.begin() + 4 + c.lengthBytes.size()), c.lengthBytes)
            << "length " << c.length;
        EXPECT_EQ(frame.size(), 3 + 1 + c.lengthBytes.size() + c.length + 1) << "length " << c.length;
    }
}

TEST(FrameEncoder, ChecksumIsXorOfCodeLengthAndPayload) {
    const Bytes frame = Encode(0x07, 0x70, {0x10, 0x20, 0x40, 0x80, 0x01});
    // code 0x74, length 5, payload
    EXPECT_EQ(frame, (Bytes{0x02, 0x07, 0xFD, 0x74, 0x05, 0x10, 0x20, 0x40, 0x80, 0x01, 0x74 ^ 0x05 ^ 0xF1}));
}

TEST(FrameEncoder, EveryTwoAfterTheHeaderIsDoubledAndCountedOnce) {
    // Payload of two bytes 0x02, 0x00: code byte 0x52 is itself a 0x02-free byte, the payload's 0x02 doubles.
    const Bytes frame = Encode(0x02, 0x50, {0x02, 0x00});
    // The destination 0x02 stays single; the checksum 0x52 ^ 0x02 = 0x50.
    EXPECT_EQ(frame, (Bytes{0x02, 0x02, 0xFD, 0x52, 0x02, 0x02, 0x00, 0x50}));
}

TEST(FrameEncoder, LengthByteAndChecksumTwoAreDoubled) {
    // A payload of 0x102 bytes puts 0x02 in the low length byte; the payload is chosen so the checksum is 0x02.
    Bytes payload(0x102, 0x00);
    payload[0] = 0x08 ^ 0x01 ^ 0x02 ^ 0x02;  // makes code ^ high ^ low ^ payload = 0x02
    const Bytes frame = Encode(0x01, 0x00, payload);
    const Bytes values = Unstuff(frame);
    EXPECT_EQ(values[3], 0x08);
    EXPECT_EQ(values[4], 0x01);
    EXPECT_EQ(values[5], 0x02);
    EXPECT_EQ(values.back(), 0x02);
    EXPECT_EQ(frame.size(), values.size() + 2);  // the length byte and the checksum went twice
    EXPECT_EQ(frame[frame.size() - 1], 0x02);
    EXPECT_EQ(frame[frame.size() - 2], 0x02);
}

TEST(FrameEncoder, BroadcastAndPcAddressAreNeverStuffed) {
    const Bytes frame = Encode(0xFF, 0xC0, {0x03});
    EXPECT_EQ(frame, (Bytes{0x02, 0xFF, 0xFD, 0xC1, 0x03, 0xC2}));
}

TEST(FrameEncoder, RefusesFrameLargerThanTransmitBuffer) {
    FrameEncoder encoder;
    // 4100 bytes of 0x02 double to 8200 bytes: more than the buffer holds.
    EXPECT_FALSE(encoder.Encode(0x01, 0x50, Bytes(4100, 0x02)));
    EXPECT_TRUE(encoder.Bytes().empty());
    // The largest frame that fits still encodes.
    EXPECT_TRUE(encoder.Encode(0x01, 0x50, Bytes(kTransmitBufferSize - 7, 0x00)));
    EXPECT_EQ(encoder.Bytes().size(), kTransmitBufferSize);
}

}  // namespace
}  // namespace kelvane
