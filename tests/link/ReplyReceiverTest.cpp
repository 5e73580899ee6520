#include "link/ReplyReceiver.h"

#include "link/FrameEncoder.h"

#include "tests/support/ScriptedPort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace kelvane {
namespace {

using test::Bytes;

// Feeds bytes until the receiver reports the end of a frame; the number of bytes it took, or -1.
int FeedAll(ReplyReceiver& receiver, const Bytes& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (receiver.Feed(bytes[i])) return static_cast<int>(i + 1);
    }
    return -1;
}

TEST(ReplyReceiver, AcceptsTheReferenceReply) {
    ReplyReceiver receiver;
    const Bytes reply{0x02, 0xFD, 0x00, 0xF3, 0x77, 0x00, 0x1F, 0x9B};
    EXPECT_EQ(FeedAll(receiver, reply), 8);
    EXPECT_TRUE(receiver.Valid());
    EXPECT_EQ(receiver.ReplyLength(), 3);
    EXPECT_EQ(receiver.ReplyCode(), 0xF0);
    EXPECT_EQ(receiver.ReplySource(), 0x00);
    EXPECT_EQ(Bytes(receiver.Payload().begin(), receiver.Payload().end()), (Bytes{0x77, 0x00, 0x1F}));
}

TEST(ReplyReceiver, RefusedReplyEndsAtItsChecksumAndIsInvalid) {
    for (const std::uint8_t checksum : {0x6B, 0x12}) {
        ReplyReceiver receiver;
        EXPECT_EQ(FeedAll(receiver, {0x02, 0xFD, 0x00, 0xE3, 0x77, 0x00, 0x1F, checksum, 0x55}), 8);
        EXPECT_TRUE(receiver.Done());
        EXPECT_FALSE(receiver.Valid());
        EXPECT_EQ(receiver.ReplyCode(), 0xE0);
    }
}

TEST(ReplyReceiver, BroadcastDestinationIsAccepted) {
    ReplyReceiver receiver;
    EXPECT_EQ(FeedAll(receiver, {0x02, 0xFF, 0x04, 0xF3, 0x77, 0x00, 0x1F, 0x9B}), 8);
    EXPECT_TRUE(receiver.Valid());
    EXPECT_EQ(receiver.ReplySource(), 0x04);
}

TEST(ReplyReceiver, EmptyReplyCompletesWithItsChecksum) {
    ReplyReceiver good;
    EXPECT_EQ(FeedAll(good, {0x02, 0xFD, 0x01, 0xF0, 0xF0}), 5);
    EXPECT_TRUE(good.Valid());
    EXPECT_EQ(good.ReplyLength(), 0);

    ReplyReceiver bad;
    EXPECT_EQ(FeedAll(bad, {0x02, 0xFD, 0x01, 0xF0, 0xF1}), 5);
    EXPECT_FALSE(bad.Valid());
}

TEST(ReplyReceiver, SkipsFramesForOthersAndLowCodes) {
    ReplyReceiver receiver;
    const Bytes noise{0x55, 0x02, 0x02, 0x13,  // a doubled 0x02 while idle starts nothing
                      0x02, 0x05, 0xFD, 0xF0, 0xF0,  // addressed to module 5
                      0x02, 0xFD, 0x00, 0x53, 0x01, 0x02, 0x02, 0x03,  // a request-like code byte
                      0x01};
    const Bytes reply = test::ReplyFrame(0xF0, {0xAA, 0xBB});
    Bytes line = noise;
    line.insert(line.end(), reply.begin(), reply.end());
    EXPECT_EQ(FeedAll(receiver, line), static_cast<int>(line.size()));
    EXPECT_TRUE(receiver.Valid());
    EXPECT_EQ(receiver.ReplyLength(), 2);
    EXPECT_EQ(receiver.ReplyData()[0], 0xAA);
}

TEST(ReplyReceiver, StartByteAbandonsAFrameCutShort) {
    ReplyReceiver receiver;
    Bytes line{0x02, 0xFD, 0x00, 0xF4, 0x10, 0x01, 0x02};  // announces 16 bytes, then a new frame starts
    const Bytes reply = test::ReplyFrame(0xF0, {0x02, 0x09, 0x02});
    line.insert(line.end(), reply.begin() + 1, reply.end());
    EXPECT_EQ(FeedAll(receiver, line), static_cast<int>(line.size()));
    EXPECT_TRUE(receiver.Valid());
    EXPECT_EQ(Bytes(receiver.Payload().begin(), receiver.Payload().end()), (Bytes{0x02, 0x09, 0x02}));
}

TEST(ReplyReceiver, LengthFormsAndStuffedPayloadRoundTrip) {
    for (const std::size_t length : {1u, 3u, 4u, 255u, 256u, 1024u, 8192u}) {
        Bytes payload(length);
        for (std::size_t i = 0; i < length; ++i) payload[i] = static_cast<std::uint8_t>(i * 7 + 2);
        ReplyReceiver receiver;
        const Bytes frame = test::ReplyFrame(0xF0, payload, 0x02);
        EXPECT_EQ(FeedAll(receiver, frame), static_cast<int>(frame.size())) << length;
        EXPECT_TRUE(receiver.Valid()) << length;
        EXPECT_EQ(receiver.ReplySource(), 0x02);
        EXPECT_EQ(Bytes(receiver.Payload().begin(), receiver.Payload().end()), payload) << length;
    }
}

TEST(ReplyReceiver, PayloadBeyondTheBufferIsNotStoredAndIsInvalid) {
    ReplyReceiver receiver;
    Bytes payload(kReplyDataSize + 1, 0x33);
    payload.back() = 0x44;
    const Bytes frame = test::ReplyFrame(0xF0, payload);
    EXPECT_EQ(FeedAll(receiver, frame), static_cast<int>(frame.size()));
    EXPECT_TRUE(receiver.Done());
    EXPECT_FALSE(receiver.Valid());
    EXPECT_EQ(receiver.Payload().size(), kReplyDataSize);
    EXPECT_EQ(receiver.ReplyData().back(), 0x33);

    // The largest announced length is followed to its end too, and the next frame is read normally.
    ReplyReceiver huge;
    Bytes line = test::ReplyFrame(0xF0, Bytes(0xFFFF, 0x01));
    line[3] = 0xFB;  // the code byte now adds 3 to the two-byte length
    const Bytes next = test::ReplyFrame(0xF0, {0x42});
    EXPECT_EQ(FeedAll(huge, line), -1);
    huge.Restart();
    EXPECT_EQ(FeedAll(huge, next), static_cast<int>(next.size()));
    EXPECT_TRUE(huge.Valid());
}

TEST(ReplyReceiver, RestartKeepsTheLastReply) {
    ReplyReceiver receiver;
    FeedAll(receiver, test::ReplyFrame(0xF0, {0x01, 0x02, 0x03}));
    receiver.Restart();
    EXPECT_FALSE(receiver.Done());
    EXPECT_EQ(receiver.ReplyLength(), 3);
    EXPECT_EQ(receiver.ReplyData()[2], 0x03);
}

// What a reader may wait for before it looks again: never more bytes than the line still has to carry before the
// frame ends, whatever the length form and stuffing, and exactly that many once the length is known where nothing
// is doubled.
TEST(ReplyReceiver, BytesToEndNeverPassesTheFrameEnd) {
    FrameEncoder encoder;
    for (const std::size_t size : {0u, 3u, 4u, 255u, 256u, 300u}) {
        Bytes payload(size);
        for (std::size_t i = 0; i < size; ++i) payload[i] = static_cast<std::uint8_t>(i % 3 == 0 ? 0x02 : i);
        for (const bool stuffed : {false, true}) {
            if (!stuffed) std::fill(payload.begin(), payload.end(), 0x41);
            ASSERT_TRUE(encoder.Encode(0xFD, 0xF0, payload));
            Bytes frame(encoder.Bytes().begin(), encoder.Bytes().end());
            SCOPED_TRACE(std::to_string(size) + (stuffed ? " stuffed" : " plain"));
            const std::size_t lengthKnown = 4 + (size >= 256 ? 2 : size >= 4 ? 1 : 0);
            ReplyReceiver receiver;
            EXPECT_EQ(receiver.BytesToEnd(), 5u);
            for (std::size_t i = 0; i < frame.size(); ++i) {
                const std::size_t left = frame.size() - i;
                EXPECT_LE(receiver.BytesToEnd(), left) << "at byte " << i;
                if (!stuffed && i >= lengthKnown) {
                    EXPECT_EQ(receiver.BytesToEnd(), left) << "at byte " << i;
                }
                receiver.Feed(frame[i]);
            }
            EXPECT_TRUE(receiver.Done());
            EXPECT_EQ(receiver.BytesToEnd(), 0u);
        }
    }
}

}  // namespace
}  // namespace kelvane
