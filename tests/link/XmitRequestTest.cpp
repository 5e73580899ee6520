#include "link/Xmit.h"

#include "tests/support/ScriptedPort.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

using test::Bytes;
using test::ReplyFrame;
using test::ScriptedPort;

// The module most requests here go to, and the source of its replies.
constexpr std::uint8_t kModule = 0x03;

class XmitRequestTest : public ::testing::Test {
protected:
    // Opens the scripted port 0 as the rack's port, through the search like the program does.
    ScriptedPort& Connect(std::deque<ScriptedPort::Reaction> reactions, bool echo = true) {
        reactions.push_front({ReplyFrame(0xF0, {0x77, 0x00, 0x0E})});
        ports.Install(0, std::move(reactions), echo);
        EXPECT_TRUE(link.FindPort());
        EXPECT_NE(ports.last, nullptr);
        ports.last->writes.clear();
        return *ports.last;
    }

    VirtualClock clock;
    test::ScriptedPortOpener ports{clock};
    CXmit link{ports, clock};
};

TEST_F(XmitRequestTest, NoPortFailsAtOnceAndLeavesLinkLostAlone) {
    const std::uint64_t before = clock.TickCount();
    EXPECT_FALSE(link.XmitRequest({}, 0x01, 0x10, 10));
    EXPECT_FALSE(link.LinkLost());
    link.SetLinkLost(true);
    EXPECT_FALSE(link.XmitRequest({}, 0x01, 0x10, 10));
    EXPECT_TRUE(link.LinkLost());
    EXPECT_EQ(clock.TickCount(), before);
    EXPECT_TRUE(ports.opened.empty());
    EXPECT_EQ(link.LastFailure(), LinkFailure::NoPort);
}

TEST_F(XmitRequestTest, BroadcastIsWrittenOnceAndNeverRead) {
    ScriptedPort& port = Connect({});
    const std::size_t readsBefore = port.reads;
    const std::uint64_t before = clock.TickCount();
    EXPECT_TRUE(link.XmitRequest(Bytes{0x03}, 0xFF, 0xC0, 10000));
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.writes[0], (Bytes{0x02, 0xFF, 0xFD, 0xC1, 0x03, 0xC2}));
    // Only the discard before sending and the read-back of our own bytes touch the line: no reply wait.
    EXPECT_LT(clock.TickCount() - before, 200u);
    EXPECT_GT(port.reads, readsBefore);
    EXPECT_FALSE(link.LinkLost());
}

TEST_F(XmitRequestTest, BroadcastThatCouldNotBeWrittenFailsWithItsReason) {
    ScriptedPort& port = Connect({});
    port.failWrites = true;
    EXPECT_FALSE(link.XmitRequest(Bytes{0x03}, 0xFF, 0xC0, 1));
    EXPECT_EQ(link.LastFailure(), LinkFailure::WriteFailed);
    EXPECT_TRUE(link.LinkLost());
}

TEST_F(XmitRequestTest, SilentModuleGetsThreeIdenticalFramesThenLinkLost) {
    ScriptedPort& port = Connect({});
    const std::uint64_t before = clock.TickCount();
    EXPECT_FALSE(link.XmitRequest(Bytes{0x01, 0x02}, 0x05, 0x50, 10));
    ASSERT_EQ(port.writes.size(), 3u);
    EXPECT_EQ(port.writes[0], port.writes[1]);
    EXPECT_EQ(port.writes[1], port.writes[2]);
    EXPECT_TRUE(link.LinkLost());
    EXPECT_EQ(link.LastFailure(), LinkFailure::TimedOut);
    // Each try's own 100 ms: the echo is read back at once, and the discard takes what is there without waiting.
    EXPECT_EQ(clock.TickCount() - before, 3u * 100u);
}

TEST_F(XmitRequestTest, ReadsTakeEveryByteThatIsThere) {
    // A reply of 1,000 payload bytes that is on the line all at once is taken in a few reads, not one per byte.
    Bytes payload(1000, 0x11);
    ScriptedPort& port = Connect({{ReplyFrame(0xF0, payload, kModule)}});
    const std::size_t readsBefore = port.reads;
    EXPECT_TRUE(link.XmitRequest({}, 0x03, 0x70, 10));
    EXPECT_EQ(Bytes(link.Reply().begin(), link.Reply().end()), payload);
    EXPECT_LE(port.reads - readsBefore, 10u);
}

TEST_F(XmitRequestTest, RefusedTwiceThenAcceptedSucceedsWithoutLinkLost) {
    ScriptedPort& port = Connect({{ReplyFrame(0xE0, {}, kModule)},
                                  {ReplyFrame(0xE0, {}, kModule)},
                                  {ReplyFrame(0xF0, {0x21, 0x22, 0x23, 0x24}, kModule)}});
    EXPECT_TRUE(link.XmitRequest({}, 0x03, 0x70, 10));
    EXPECT_EQ(port.writes.size(), 3u);
    EXPECT_FALSE(link.LinkLost());
    EXPECT_EQ(link.ReplyLength(), 4);
    EXPECT_EQ(Bytes(link.Reply().begin(), link.Reply().end()), (Bytes{0x21, 0x22, 0x23, 0x24}));
    EXPECT_EQ(link.LastFailure(), LinkFailure::None);
}

TEST_F(XmitRequestTest, EachFailedRequestKeepsItsReason) {
    Bytes corrupt = ReplyFrame(0xF0, {0x10, 0x20}, kModule);
    corrupt.back() ^= 0x01;
    const Bytes oversized = ReplyFrame(0xF0, Bytes(kReplyDataSize + 10, 0x01), kModule);
    Connect({{ReplyFrame(0xE0, {}, kModule)},
             {ReplyFrame(0xE0, {}, kModule)},
             {ReplyFrame(0xE0, {}, kModule)},
             {corrupt},
             {corrupt},
             {corrupt},
             {oversized},
             {oversized},
             {oversized}});
    EXPECT_FALSE(link.XmitRequest({}, 0x03, 0x70, 100));
    EXPECT_EQ(link.LastFailure(), LinkFailure::Refused);
    EXPECT_FALSE(link.XmitRequest({}, 0x03, 0x70, 100));
    EXPECT_EQ(link.LastFailure(), LinkFailure::BadChecksum);
    EXPECT_FALSE(link.XmitRequest({}, 0x03, 0x70, 100));
    EXPECT_EQ(link.LastFailure(), LinkFailure::TooLong);
    EXPECT_FALSE(link.XmitRequest(Bytes(kTransmitBufferSize, 0x11), 0x03, 0x50, 100));
    EXPECT_EQ(link.LastFailure(), LinkFailure::TooLong);
}

TEST_F(XmitRequestTest, CorruptedReplyIsRetried) {
    Bytes corrupt = ReplyFrame(0xF0, {0x10, 0x20}, kModule);
    corrupt.back() ^= 0x01;
    Connect({{corrupt}, {ReplyFrame(0xF0, {0x10, 0x20}, kModule)}});
    EXPECT_TRUE(link.XmitRequest({}, 0x03, 0x40, 10));
    EXPECT_EQ(link.ReplyLength(), 2);
}

TEST_F(XmitRequestTest, LateReplyCountsAsAFailedTry) {
    ScriptedPort& port = Connect({{ReplyFrame(0xF0, {0x01}, kModule), 150}, {ReplyFrame(0xF0, {0x02}, kModule), 5}});
    EXPECT_TRUE(link.XmitRequest({}, 0x03, 0x40, 10));
    EXPECT_EQ(port.writes.size(), 2u);
    // The late first reply was discarded before the second try was sent.
    EXPECT_EQ(link.Reply()[0], 0x02);
}

// A serial server far away: the echo comes back after 150 ms and the reply after 300 ms, where a local line
// allows 100 ms for each. The echo's delay is learned and added to the waits, with the port's latency as a floor;
// a line slower than the first try's whole wait is learned from the first echo that comes back.
TEST_F(XmitRequestTest, AFarLinesDelayIsLearnedFromItsEcho) {
    struct Case {
        int latencyMs;
        std::uint64_t echoMs;
        std::uint64_t replyMs;
        std::size_t firstWrites;
    };
    for (const Case c : {Case{0, 150, 300, 1}, Case{200, 150, 300, 1}, Case{0, 300, 301, 2}}) {
        SCOPED_TRACE(testing::Message() << c.latencyMs << " ms floor, echo after " << c.echoMs);
        std::deque<ScriptedPort::Reaction> replies;
        for (int k = 0; k < 6; ++k) replies.push_back({ReplyFrame(0xF0, {0x42}, kModule), c.replyMs});
        ScriptedPort& port = Connect(replies);
        port.echoDelayMs = c.echoMs;
        port.latency = std::chrono::milliseconds(c.latencyMs);
        EXPECT_TRUE(link.XmitRequest({}, kModule, 0x40, 10));
        EXPECT_EQ(port.writes.size(), c.firstWrites);
        EXPECT_GE(link.LineDelayMs(), c.echoMs - 1);
        // Once learned, every request is answered at its first try.
        port.writes.clear();
        EXPECT_TRUE(link.XmitRequest({}, kModule, 0x40, 10));
        EXPECT_EQ(port.writes.size(), 1u);
        EXPECT_EQ(link.Reply()[0], 0x42);
        EXPECT_FALSE(link.LinkLost());
        link.ClosePort();
    }
}

// A local line's echo (a USB adapter holds bytes up to its latency timer) adds nothing: a silent module costs
// exactly the echo and 100 ms a try, as it always did.
TEST_F(XmitRequestTest, ALocalLinesWaitsStayAsTheyWere) {
    for (const std::uint64_t echoMs : {0u, 5u, 25u}) {
        SCOPED_TRACE(echoMs);
        ScriptedPort& port = Connect({});
        port.echoDelayMs = echoMs;
        const std::uint64_t before = clock.TickCount();
        EXPECT_FALSE(link.XmitRequest({}, kModule, 0x40, 10));
        EXPECT_EQ(clock.TickCount() - before, 3 * (echoMs + 100));
        EXPECT_EQ(link.LineDelayMs(), 0u);
        link.ClosePort();
    }
}

// Only a frame from the module asked, after this request's own echo, answers it: not a frame from another
// module, and not an earlier request's reply that was late and comes before the echo.
TEST_F(XmitRequestTest, OnlyTheAskedModulesReplyAfterOurEchoAnswers) {
    struct Case {
        const char* name;
        std::uint64_t echoMs;
        Bytes stranger;
        std::uint64_t strangerMs;
    };
    const Case cases[] = {
        {"another module", 0, ReplyFrame(0xF0, {0x11}, 0x05), 2},
        {"an earlier request's late reply", 150, ReplyFrame(0xF0, {0x11}, kModule), 120},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedPort& port = Connect({{ReplyFrame(0xF0, {0x99}, kModule), c.echoMs + 4}});
        port.echoDelayMs = c.echoMs;
        port.Arrive(c.stranger, c.strangerMs);
        EXPECT_TRUE(link.XmitRequest({}, kModule, 0x40, 10));
        ASSERT_EQ(link.ReplyLength(), 1);
        EXPECT_EQ(link.Reply()[0], 0x99);
        EXPECT_EQ(port.writes.size(), 1u);
        link.ClosePort();
    }
}

// The serial server 150 ms away and no latency given: the identity probe's second try is answered by the first
// try's reply, and the second reply, still on its way, must not be taken for the module list's.
TEST_F(XmitRequestTest, ALateIdentityReplyIsNotTakenForTheModuleList) {
    const Bytes identity = ReplyFrame(0xF0, {0x77, 0x00, 0x0E});
    const Bytes list = ReplyFrame(0xF0, {0x01, 0x01, 0x0C, 0x03, 0x05, 0x15});
    ScriptedPort& port = Connect({{identity, 301}, {identity, 301}, {list, 301}, {list, 301}, {list, 301}});
    port.echoDelayMs = 300;
    ASSERT_TRUE(link.XmitRequest({}, 0, 0x10, 10));
    ASSERT_TRUE(link.XmitRequest({}, 0, 0x60, 100));
    EXPECT_EQ(Bytes(link.Reply().begin(), link.Reply().end()), (Bytes{0x01, 0x01, 0x0C, 0x03, 0x05, 0x15}));
}

TEST_F(XmitRequestTest, EchoOfOurOwnBytesIsReadBackBeforeTheReply) {
    // With the request echoed, a reply whose payload looks like a frame start is still read correctly.
    ScriptedPort& port = Connect({{ReplyFrame(0xF0, {0x02, 0xFD, 0x00}, 0x02)}}, /*echo=*/true);
    EXPECT_TRUE(link.XmitRequest(Bytes{0x02, 0x02, 0x02, 0x02}, 0x02, 0x50, 10));
    EXPECT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(Bytes(link.Reply().begin(), link.Reply().end()), (Bytes{0x02, 0xFD, 0x00}));
}

// A module that answers at once puts its reply right behind our echo, and the read that ends the echo gathers the
// reply's first bytes with it: they belong to the reply, whether they are all of it or only its start.
TEST_F(XmitRequestTest, AReplyThatComesWithTheEchoIsTakenWhole) {
    const Bytes longPayload{0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37};
    ScriptedPort& port = Connect({{ReplyFrame(0xF0, {}, kModule), 0}, {ReplyFrame(0xF0, longPayload, kModule), 0}});
    ASSERT_EQ(ReplyFrame(0xF0, {}, kModule).size(), ReplyReceiver::kShortestFrame);

    EXPECT_TRUE(link.XmitRequest(Bytes{0x01}, 0x03, 0x40, 10));
    EXPECT_EQ(link.ReplyLength(), 0);
    EXPECT_EQ(link.ReplyCode(), 0xF0);

    EXPECT_TRUE(link.XmitRequest(Bytes{0x01}, 0x03, 0x40, 10));
    EXPECT_EQ(Bytes(link.Reply().begin(), link.Reply().end()), longPayload);
    EXPECT_EQ(port.writes.size(), 2u);
}

TEST_F(XmitRequestTest, PendingInputIsDiscardedBeforeSending) {
    ScriptedPort& port = Connect({{ReplyFrame(0xF0, {0x99}, kModule), 5}});
    // A stale reply left on the line from an earlier exchange must not be taken for this one.
    port.Arrive(ReplyFrame(0xF0, {0x11}, kModule));
    EXPECT_TRUE(link.XmitRequest({}, 0x03, 0x40, 10));
    EXPECT_EQ(link.Reply()[0], 0x99);
}

TEST_F(XmitRequestTest, StaleRepliesAreDiscardedWhenNoEchoHidesThem) {
    // Without an echo the read-back takes the first bytes on the line as ours: two late replies from earlier
    // exchanges sit there, so the second one survives the read-back and only the discard keeps it out. The
    // true reply comes once the read-back has given up.
    ScriptedPort& port = Connect({{ReplyFrame(0xF0, {0x99}, kModule), 105}}, /*echo=*/false);
    port.Arrive(ReplyFrame(0xF0, {0x11}, kModule));
    port.Arrive(ReplyFrame(0xF0, {0x12}, kModule));
    EXPECT_TRUE(link.XmitRequest({}, 0x03, 0x40, 10));
    ASSERT_EQ(link.ReplyLength(), 1);
    EXPECT_EQ(link.Reply()[0], 0x99);
}

TEST_F(XmitRequestTest, ReadBackGivesUpAfter100MsWithoutAnEcho) {
    // A reply 150 ms after the request: after the read-back's 100 ms, inside the reply's own 100 ms.
    ScriptedPort& port = Connect({{ReplyFrame(0xF0, {0x42}, kModule), 150}}, /*echo=*/false);
    std::uint64_t before = clock.TickCount();
    EXPECT_TRUE(link.XmitRequest({}, 0x03, 0x40, 10));
    EXPECT_EQ(link.Reply()[0], 0x42);
    EXPECT_EQ(clock.TickCount() - before, 150u);
    EXPECT_EQ(port.writes.size(), 1u);

    // Silent without an echo: each try is 100 ms of read-back and 100 ms of waiting, exactly.
    before = clock.TickCount();
    EXPECT_FALSE(link.XmitRequest({}, 0x03, 0x40, 10));
    EXPECT_EQ(clock.TickCount() - before, 3u * (100u + 100u));
}

TEST_F(XmitRequestTest, LongFrameGoesOutInChunksOf400) {
    // 1023 payload bytes make a frame of 1030 bytes: header 3, code 1, length 2, payload, checksum 1.
    Bytes payload(1023, 0x11);
    payload[0] = 0x10;  // keeps the checksum off 0x02
    ScriptedPort& port = Connect({{}, {}, {ReplyFrame(0xF0, {}, 0x05)}}, /*echo=*/true);
    EXPECT_TRUE(link.XmitRequest(payload, 0x05, 0x50, 100));
    ASSERT_EQ(port.writes.size(), 3u);
    EXPECT_EQ(port.writes[0].size(), 400u);
    EXPECT_EQ(port.writes[1].size(), 400u);
    EXPECT_EQ(port.writes[2].size(), 230u);
    Bytes joined;
    for (const Bytes& w : port.writes) joined.insert(joined.end(), w.begin(), w.end());
    EXPECT_EQ(joined, Bytes(link.TransmitBuffer().begin(), link.TransmitBuffer().end()));
}

TEST_F(XmitRequestTest, FailedWriteStopsTheFrameAndCostsTheTry) {
    ScriptedPort& port = Connect({});
    port.failWrites = true;
    EXPECT_FALSE(link.XmitRequest(Bytes(1023, 0x11), 0x05, 0x50, 10));
    // One chunk attempted per try: the rest of each frame is not written.
    EXPECT_EQ(port.writes.size(), 3u);
    EXPECT_TRUE(link.LinkLost());
    EXPECT_EQ(link.LastFailure(), LinkFailure::WriteFailed);
}

TEST_F(XmitRequestTest, HungUpLineFailsAtOnceWithoutFurtherTries) {
    ScriptedPort& port = Connect({});
    port.hungUp = true;
    const std::uint64_t before = clock.TickCount();
    EXPECT_FALSE(link.XmitRequest({}, 0x03, 0x40, 10000));
    EXPECT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(clock.TickCount(), before);
    EXPECT_TRUE(link.LinkLost());
    EXPECT_EQ(link.LastFailure(), LinkFailure::HungUp);
    // Not even a broadcast passes a line that is gone.
    EXPECT_FALSE(link.XmitRequest(Bytes{0x03}, 0xFF, 0xC0, 1));
    EXPECT_EQ(link.LastFailure(), LinkFailure::HungUp);
}

TEST_F(XmitRequestTest, LineLostWhileWaitingForTheReplyEndsTheRequest) {
    ScriptedPort& port = Connect({});
    // The far end goes away 30 ms into the first try's wait of 100 s.
    const std::uint64_t before = clock.TickCount();
    port.hangUpAt = before + 30;
    EXPECT_FALSE(link.XmitRequest({}, 0x03, 0x40, 10000));
    EXPECT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(clock.TickCount() - before, 30u);
    EXPECT_EQ(link.LastFailure(), LinkFailure::HungUp);
    EXPECT_TRUE(link.LinkLost());
}

TEST_F(XmitRequestTest, LongReplyIsNotCutByItsOwnLength) {
    // A configuration image of 1,000 bytes, many of them 0x02: stuffed, about 170 ms of line, against a
    // time-out of 100 ms.
    Bytes image(1000, 0x02);
    for (std::size_t i = 0; i < image.size(); i += 3) image[i] = 0x41;
    const Bytes frame = ReplyFrame(0xF0, image, kModule);
    ASSERT_GT(frame.size() / 11, 100u);
    ScriptedPort& port = Connect({{frame, 5, 11}});
    const std::uint64_t before = clock.TickCount();
    EXPECT_TRUE(link.XmitRequest({}, 0x03, 0x70, 10));
    EXPECT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(Bytes(link.Reply().begin(), link.Reply().end()), image);
    EXPECT_EQ(clock.TickCount() - before, 5u + (frame.size() - 1) / 11);
}

TEST_F(XmitRequestTest, StalledReplyTimesOutFromItsLastByte) {
    ScriptedPort& port = Connect({});
    const Bytes frame = ReplyFrame(0xF0, Bytes(100, 0x41), kModule);
    // The first 20 bytes 40 ms after the call, then nothing more.
    port.Arrive(Bytes(frame.begin(), frame.begin() + 20), 40);
    const std::uint64_t start = clock.TickCount();
    EXPECT_FALSE(link.ReceiveReply(10));
    EXPECT_EQ(link.LastFailure(), LinkFailure::TimedOut);
    EXPECT_EQ(clock.TickCount() - start, 40u + 100u);

    // Bytes that never make a frame start do not hold the wait open.
    port.Arrive(Bytes(30, 0x41), 40);
    const std::uint64_t again = clock.TickCount();
    EXPECT_FALSE(link.ReceiveReply(10));
    EXPECT_EQ(clock.TickCount() - again, 100u);
}

TEST_F(XmitRequestTest, TricklingReplyIsBoundedByTheLongestReplysLineTime) {
    ScriptedPort& port = Connect({});
    const Bytes frame = ReplyFrame(0xF0, Bytes(kReplyDataSize, 0x41), kModule);
    // A byte every 50 ms: each within the idle time-out, the whole far beyond any reply's line time.
    for (std::size_t i = 0; i < 100; ++i) port.Arrive({frame[i]}, 50 * (i + 1));
    const std::uint64_t start = clock.TickCount();
    EXPECT_FALSE(link.ReceiveReply(10));
    // 100 ms, plus 8,192 bytes all doubled with their header at 86.8 µs a byte: 1,424 ms.
    EXPECT_EQ(clock.TickCount() - start, 100u + 1424u);
}

TEST_F(XmitRequestTest, OversizedReplyIsInvalid) {
    Connect({{ReplyFrame(0xF0, Bytes(kReplyDataSize + 10, 0x01), kModule)},
             {ReplyFrame(0xF0, Bytes(kReplyDataSize + 10, 0x01), kModule)},
             {ReplyFrame(0xF0, Bytes(kReplyDataSize + 10, 0x01), kModule)}});
    EXPECT_FALSE(link.XmitRequest({}, 0x03, 0x70, 100));
    EXPECT_TRUE(link.LinkLost());
    EXPECT_LE(link.Reply().size(), kReplyDataSize);
}

TEST_F(XmitRequestTest, FirmwareBlocksSkipBlankUnlessForced) {
    ScriptedPort& port = Connect({{ReplyFrame(0xF0, {}, 0x04)}, {ReplyFrame(0xF0, {}, 0x04)}});
    const Bytes blank(256, 0xFF);
    EXPECT_TRUE(link.WriteFirmwareBlock(0x012345, blank, 0x04, false));
    EXPECT_TRUE(port.writes.empty());
    EXPECT_TRUE(link.WriteFirmwareBlock(0x012345, {}, 0x04, false));
    EXPECT_TRUE(port.writes.empty());

    EXPECT_TRUE(link.WriteFirmwareBlock(0x012345, blank, 0x04, true));
    ASSERT_EQ(port.writes.size(), 1u);
    const Bytes& frame = port.writes[0];
    // 260-byte payload: sub-command 1, offset 01 23 45, then the block.
    EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 10),
              (Bytes{0x02, 0x04, 0xFD, 0xC8, 0x01, 0x04, 0x01, 0x01, 0x23, 0x45}));

    Bytes data(256, 0xFF);
    data[100] = 0x00;
    EXPECT_TRUE(link.WriteFirmwareBlock(0x000100, data, 0x04, false));
    EXPECT_EQ(port.writes.size(), 2u);
}

}  // namespace
}  // namespace kelvane
