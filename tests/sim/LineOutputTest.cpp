#include "sim/LineOutput.h"

#include "tests/sim/HexBytes.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace kelvane::sim {
namespace {

using test::Hex;
using Clock = LineOutput::Clock;
using std::chrono::milliseconds;

const Clock::time_point t0 = Clock::now();

std::vector<std::uint8_t> Due(const LineOutput& out, Clock::time_point now) {
    std::array<std::uint8_t, 128> buffer{};
    const std::size_t n = out.PeekDue(now, buffer);
    return {buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(n)};
}

TEST(LineOutput, UnpacedBytesLeaveAtOnceInOrder) {
    LineOutput out(false);
    out.Push(Hex("01 02 03"), t0);
    out.Push(Hex("04"), t0);
    EXPECT_EQ(Due(out, t0), Hex("01 02 03 04"));
    EXPECT_EQ(out.Consume(2), 0u);
    EXPECT_EQ(Due(out, t0), Hex("03 04"));
}

TEST(LineOutput, LateReplyHoldsBackWhatFollowsIt) {
    LineOutput out(false);
    out.Push(Hex("AA"), t0);  // echo
    out.Push(Hex("02 FD 01 F0 F0"), t0 + milliseconds(50), true);  // reply 50 ms late
    out.Push(Hex("BB"), t0 + milliseconds(10));  // echo of a byte that came meanwhile
    EXPECT_EQ(Due(out, t0 + milliseconds(49)), Hex("AA"));
    EXPECT_EQ(out.NextDue(), t0);
    out.Consume(1);
    EXPECT_EQ(out.NextDue(), t0 + milliseconds(50));
    EXPECT_EQ(Due(out, t0 + milliseconds(50)), Hex("02 FD 01 F0 F0 BB"));
}

TEST(LineOutput, PacedBytesArriveAtTheEndOfTheirLineTime) {
    LineOutput out(true);
    const auto byte = LineOutput::kByteTime;
    out.Push(Hex("01 02 03 04 05 06 07 08 09 0A"), t0);
    // Nothing is there before the first byte has had its ten bits on the line, and each byte exactly then.
    EXPECT_EQ(Due(out, t0 + byte - std::chrono::nanoseconds(1)).size(), 0u);
    EXPECT_EQ(out.NextDue(), t0 + byte);
    EXPECT_EQ(Due(out, t0 + 6 * byte).size(), 6u);
    EXPECT_EQ(Due(out, t0 + 7 * byte - std::chrono::nanoseconds(1)).size(), 6u);
    out.Consume(3);
    // The schedule goes on from where the third byte left, not from when Consume ran.
    EXPECT_EQ(out.NextDue(), t0 + 4 * byte);
    EXPECT_EQ(Due(out, t0 + 10 * byte).size(), 7u);
}

TEST(LineOutput, PacedReplyFollowsItsEchoByteForByte) {
    LineOutput out(true);
    const auto byte = LineOutput::kByteTime;
    out.Push(Hex("02 00 FD 10 10"), t0);  // the echo of a five-byte request
    out.Push(Hex("02 FD 00 F3 77 00 1F 9B"), t0, true);  // its reply, ready at once
    EXPECT_EQ(Due(out, t0 + 13 * byte - std::chrono::nanoseconds(1)).size(), 12u);
    EXPECT_EQ(Due(out, t0 + 13 * byte).size(), 13u);
}

TEST(LineOutput, PacedLineIdlesBetweenBursts) {
    LineOutput out(true);
    out.Push(Hex("01"), t0);
    out.Consume(1);
    const Clock::time_point later = t0 + milliseconds(20);
    out.Push(Hex("02 03"), later);
    EXPECT_EQ(out.NextDue(), later + LineOutput::kByteTime);  // no credit saved up while the line was idle
    EXPECT_EQ(Due(out, later + LineOutput::kByteTime).size(), 1u);
}

TEST(LineOutput, AdapterHoldsBytesUntilItsLatencyOrAFullPacket) {
    const auto byte = LineOutput::kByteTime;
    const auto latency = milliseconds(16);
    {
        // A short reply waits out the whole latency after its first byte came off the line.
        LineOutput out(true);
        out.SetAdapterLatency(latency);
        out.Push(Hex("02 FD 00 F3 77 00 1F 9B"), t0, true);
        EXPECT_EQ(Due(out, t0 + 8 * byte).size(), 0u);
        EXPECT_EQ(out.NextDue(), t0 + byte + latency);
        EXPECT_EQ(Due(out, t0 + byte + latency).size(), 8u);
    }
    {
        // 62 bytes fill a packet, which goes as its last byte comes off the line; the rest wait for the timer.
        LineOutput out(true);
        out.SetAdapterLatency(latency);
        const std::vector<std::uint8_t> bytes(70, 0x55);
        out.Push(bytes, t0);
        EXPECT_EQ(Due(out, t0 + 62 * byte - std::chrono::nanoseconds(1)).size(), 0u);
        EXPECT_EQ(Due(out, t0 + 62 * byte).size(), 62u);
        EXPECT_EQ(Due(out, t0 + 63 * byte + latency - std::chrono::nanoseconds(1)).size(), 62u);
        EXPECT_EQ(Due(out, t0 + 63 * byte + latency).size(), 70u);
    }
    {
        // A byte that comes off the line after the timer ran out starts a packet of its own.
        LineOutput out(false);
        out.SetAdapterLatency(milliseconds(1));
        out.Push(Hex("01"), t0);
        out.Push(Hex("02"), t0 + milliseconds(3));
        EXPECT_EQ(Due(out, t0 + milliseconds(1)).size(), 1u);
        EXPECT_EQ(Due(out, t0 + milliseconds(4) - std::chrono::nanoseconds(1)).size(), 1u);
        EXPECT_EQ(Due(out, t0 + milliseconds(4)).size(), 2u);
    }
}

TEST(LineOutput, CountsRepliesAsTheirLastByteLeaves) {
    LineOutput out(false);
    out.Push(Hex("10 11"), t0);
    out.Push(Hex("02 FD 01 F0 F0"), t0, true);
    out.Push(Hex("02 FD 02 F0 F0"), t0, true);
    EXPECT_EQ(out.Consume(6), 0u);
    EXPECT_EQ(out.Consume(1), 1u);
    EXPECT_EQ(out.Consume(100), 1u);
    EXPECT_TRUE(out.Empty());
}

TEST(LineOutput, OverrunLosesWhatDoesNotFit) {
    LineOutput out(false, 4);
    EXPECT_TRUE(out.Push(Hex("01 02 03"), t0));
    EXPECT_FALSE(out.Push(Hex("04 05 06"), t0, true));
    EXPECT_EQ(Due(out, t0), Hex("01 02 03 04"));
    EXPECT_EQ(out.Consume(4), 0u);  // the reply's end was lost, so it never counts as sent
}

}  // namespace
}  // namespace kelvane::sim
