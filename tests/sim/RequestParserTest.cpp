#include "sim/RequestParser.h"

#include "tests/sim/HexBytes.h"

#include <gtest/gtest.h>

namespace kelvane::sim {
namespace {

using test::Hex;

// Every frame the parser finishes while taking `bytes`.
std::vector<ParsedFrame> ParseAll(const std::vector<std::uint8_t>& bytes) {
    RequestParser parser;
    std::vector<ParsedFrame> frames;
    for (std::uint8_t b : bytes) {
        if (auto frame = parser.Feed(b)) frames.push_back(std::move(*frame));
    }
    return frames;
}

TEST(RequestParser, ReadsTheOneValidRequestOfEachLine) {
    std::vector<std::uint8_t> twoLengthBytes = Hex("02 03 FD 58 01 02 02");
    twoLengthBytes.insert(twoLengthBytes.end(), 0x102, 0x00);
    twoLengthBytes.push_back(0x5B);
    const struct {
        const char* what;
        std::vector<std::uint8_t> line;
        Request request;
    } cases[] = {
        {"a probe without payload", Hex("02 00 FD 10 10"), {0x00, 0xFD, 0x10, {}}},
        {"to address 2, payload {0x02, 0x41}, checksum 0x11: stuffing removed, the destination kept raw",
         Hex("02 02 FD 52 02 02 41 11"),
         {0x02, 0xFD, 0x52, Hex("02 41")}},
        {"5 bytes with one length byte: 0x54 ^ 0x05 ^ (0x01..0x05 XOR = 0x01) = 0x50",
         Hex("02 03 FD 54 05 01 02 02 03 04 05 50"),
         {0x03, 0xFD, 0x54, Hex("01 02 03 04 05")}},
        {"0x102 zero bytes with two length bytes (the low one stuffed): 0x58 ^ 0x01 ^ 0x02 = 0x5B",
         twoLengthBytes,
         {0x03, 0xFD, 0x58, std::vector<std::uint8_t>(0x102, 0x00)}},
        {"a write announcing 5 bytes cut after two by the start of a probe to address 1: the write is abandoned",
         Hex("02 03 FD 54 05 AA BB 02 01 FD 10 10"),
         {0x01, 0xFD, 0x10, {}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto frames = ParseAll(c.line);
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].status, FrameStatus::Valid);
        EXPECT_EQ(frames[0].request, c.request);
    }
}

TEST(RequestParser, ReadsBackWhatTheEncoderWrote) {
    for (std::size_t length : {0u, 1u, 3u, 4u, 255u, 256u, 1024u, 4000u}) {
        std::vector<std::uint8_t> payload(length);
        for (std::size_t i = 0; i < length; ++i) payload[i] = static_cast<std::uint8_t>(i * 7);  // many 0x02s
        const auto frames = ParseAll(EncodeFrame(0x02, kPcAddress, kWriteCommand, payload));
        SCOPED_TRACE(length);
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].status, FrameStatus::Valid);
        EXPECT_EQ(frames[0].request.payload, payload);
    }
}

TEST(RequestParser, ReportsBadChecksumAndBadLengthForm) {
    auto frames = ParseAll(Hex("02 00 FD 10 11"));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].status, FrameStatus::BadChecksum);

    // Low nibble 5 is no length form; the frame ends at the code byte.
    frames = ParseAll(Hex("02 00 FD 15 01 02 00 FD 10 10"));
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].status, FrameStatus::BadLengthForm);
    EXPECT_EQ(frames[1].status, FrameStatus::Valid);
}

TEST(RequestParser, SkipsNoiseBeforeAFrame) {
    // Bytes before a start, a stray start byte, and a header whose source is not the PC.
    const auto frames = ParseAll(Hex("55 AA 02 02 05 FD 10 10 02 03 04 10 10 02 04 FD 10 10"));
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].request.destination, 0x05);
    EXPECT_EQ(frames[1].request.destination, 0x04);
}

TEST(RequestParser, KeepsGoingAfterEachFrame) {
    const auto frames = ParseAll(Hex("02 00 FD 10 10 02 00 FD 60 60 02 05 FD 80 80"));
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[1].request.Command(), kListCommand);
    EXPECT_EQ(frames[2].request.destination, 0x05);
    EXPECT_EQ(frames[2].request.Command(), kRestartCommand);
}

}  // namespace
}  // namespace kelvane::sim
