#include "sim/Faults.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <vector>
#include <cmath>
#include <string>

namespace kelvane::sim {
namespace {

// The pattern of the first `n` replies: 'x' faulted, '.' not.
std::string Pattern(ShareAccumulator accumulator, int n) {
    std::string pattern;
    for (int i = 0; i < n; ++i) pattern += accumulator.Next() ? 'x' : '.';
    return pattern;
}

TEST(ShareAccumulator, HalfFaultsEverySecondReply) { EXPECT_EQ(Pattern(ShareAccumulator(0.5), 8), ".x.x.x.x"); }

TEST(ShareAccumulator, SharesAreExactOverAWholeRun) {
    EXPECT_EQ(Pattern(ShareAccumulator(0.1), 20), ".........x.........x");
    EXPECT_EQ(Pattern(ShareAccumulator(0.25), 8), "...x...x");
    EXPECT_EQ(Pattern(ShareAccumulator(1.0 / 3), 9), "..x..x..x");
}

TEST(ShareAccumulator, BoundsAndNonsense) {
    EXPECT_EQ(Pattern(ShareAccumulator(0), 5), ".....");
    EXPECT_EQ(Pattern(ShareAccumulator(1), 5), "xxxxx");
    EXPECT_EQ(Pattern(ShareAccumulator(7.5), 3), "xxx");
    EXPECT_EQ(Pattern(ShareAccumulator(-0.5), 3), "...");
    EXPECT_EQ(Pattern(ShareAccumulator(std::nan("")), 3), "...");
}

TEST(ShareAccumulator, NeverTwoInARowUpToHalf) {
    for (double share : {0.05, 0.2, 0.3, 0.37, 0.45, 0.49, 0.5}) {
        const std::string pattern = Pattern(ShareAccumulator(share), 1000);
        SCOPED_TRACE(share);
        EXPECT_EQ(pattern.find("xx"), std::string::npos);
        const auto faults = static_cast<double>(std::count(pattern.begin(), pattern.end(), 'x'));
        EXPECT_NEAR(faults, share * 1000, 1.0);
    }
}

// A reply's faults as letters: 'd' dropped, 'c' corrupted, 'r' refused; "-" for none.
std::string Letters(const ReplyFault& fault) {
    const std::string letters =
        std::string(fault.drop ? "d" : "") + (fault.corrupt ? "c" : "") + (fault.refuse ? "r" : "");
    return letters.empty() ? "-" : letters;
}

FaultOptions Shares(double drop, double corrupt, double refuse, bool silent = false) {
    FaultOptions options;
    options.dropShare = drop;
    options.corruptShare = corrupt;
    options.refuseShare = refuse;
    options.silent = silent;
    return options;
}

TEST(FaultPlan, EachShareRunsOnItsOwnAndSilenceDropsEveryReply) {
    const struct {
        const char* what;
        FaultOptions options;
        std::vector<std::string> replies;  // the faults of the first replies in turn
    } cases[] = {
        {"a dropped reply is neither refused nor corrupted", Shares(0.5, 0.5, 1.0), {"r", "d"}},
        {"corrupt and refuse may meet", Shares(0, 1, 1), {"cr"}},
        {"silence drops every reply", Shares(0, 1, 0, true), {"d", "d", "d"}},
        {"no faults by default", {}, std::vector<std::string>(10, "-")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FaultPlan plan(c.options);
        for (const std::string& expected : c.replies) EXPECT_EQ(Letters(plan.Next()), expected);
    }
}

TEST(FaultMoment, ReadsCountsAndCommandsAndStrikesOnce) {
    EXPECT_FALSE(ParseFaultMoment("0"));
    EXPECT_FALSE(ParseFaultMoment("0x55"));  // a command is a high nibble
    EXPECT_FALSE(ParseFaultMoment("0x50/0"));
    EXPECT_FALSE(ParseFaultMoment("x"));
    EXPECT_FALSE(ParseFaultMoment("0x150"));

    MomentWatch third(*ParseFaultMoment("3"));
    EXPECT_FALSE(third.Strikes(0x10));
    EXPECT_FALSE(third.Strikes(0x50));
    EXPECT_TRUE(third.Strikes(0x40));
    EXPECT_FALSE(third.Strikes(0x40));

    MomentWatch secondWrite(*ParseFaultMoment("0x50/2"));
    EXPECT_FALSE(secondWrite.Strikes(0x50));
    EXPECT_FALSE(secondWrite.Strikes(0x40));
    EXPECT_TRUE(secondWrite.Strikes(0x54));  // the length nibble does not matter
    EXPECT_FALSE(secondWrite.Strikes(0x50));

    MomentWatch never;
    for (int i = 0; i < 10; ++i) EXPECT_FALSE(never.Strikes(0x50));
}

TEST(ByteFlipper, FlipsOneBitOfEveryNthByteAcrossFrames) {
    ByteFlipper flipper(4);
    std::vector<std::uint8_t> first(6, 0), second(6, 0);
    EXPECT_EQ(flipper.Apply(first), 1u);
    EXPECT_EQ(flipper.Apply(second), 2u);  // bytes 8 and 12 of the run
    EXPECT_EQ(std::count(first.begin(), first.end(), 0), 5);
    EXPECT_EQ(std::popcount(first[3]), 1);
    EXPECT_EQ(std::popcount(second[1]), 1);
    EXPECT_EQ(std::popcount(second[5]), 1);
    EXPECT_NE(second[1], second[5]) << "another bit each time";
    std::vector<std::uint8_t> untouched(100, 0x55);
    EXPECT_EQ(ByteFlipper{}.Apply(untouched), 0u);
    EXPECT_EQ(untouched, std::vector<std::uint8_t>(100, 0x55));
}

}  // namespace
}  // namespace kelvane::sim
