#include "sim/LineOutput.h"

#include "tests/sim/HexBytes.h"

#include <gtest/gtest.h>

#include <array>

namespace kelvane::sim {
namespace {

using test::Hex;
using Clock = LineOutput::Clock;
using std::chrono::milliseconds;

const Clock::time_point t0 = Clock::now();

std::vector<std::uint8_t> Due(const LineOutput& out, Clock::time_point now) {
    std::array<std::uint8_t, 64> buffer{};
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
    out.Push(Hex("AA"), t0);                           // echo
    out.Push(Hex("02 FD 01 F0 F0"), t0 + milliseconds(50), true);  // reply 50 ms late
    out.Push(Hex("BB"), t0 + milliseconds(10));        // echo of a byte that came meanwhile
    EXPECT_EQ(Due(out, t0 + milliseconds(49)), Hex("AA"));
    EXPECT_EQ(out.NextDue(), t0);
    out.Consume(1);
    EXPECT_EQ(out.NextDue(), t0 + milliseconds(50));
    EXPECT_EQ(Due(out, t0 + milliseconds(50)), Hex("02 FD 01 F0 F0 BB"));
}

TEST(LineOutput, PacedBytesLeaveAtTheLineRate) {
    LineOutput out(true);
    out.Push(Hex("01 02 03 04 05 06 07 08 09 0A"), t0);
    EXPECT_EQ(Due(out, t0).size(), 1u);
    EXPECT_EQ(Due(out, t0 + 5 * LineOutput::kByteTime).size(), 6u);
    out.Consume(3);
    // The schedule goes on from where the third byte left, not from when Consume ran.
    EXPECT_EQ(out.NextDue(), t0 + 3 * LineOutput::kByteTime);
    EXPECT_EQ(Due(out, t0 + 9 * LineOutput::kByteTime).size(), 7u);
}

TEST(LineOutput, PacedLineIdlesBetweenBursts) {
    LineOutput out(true);
    out.Push(Hex("01"), t0);
    out.Consume(1);
    const Clock::time_point later = t0 + milliseconds(20);
    out.Push(Hex("02 03"), later);
    EXPECT_EQ(out.NextDue(), later);  // no credit saved up while the line was idle
    EXPECT_EQ(Due(out, later).size(), 1u);
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
