#include "sim/SimOptions.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelvane::sim {
namespace {

bool Parse(std::vector<std::string_view> args, SimOptions& options, std::string& error) {
    return ParseSimOptions(args, options, error);
}

TEST(KxrsimOptions, DefaultsWithoutArguments) {
    SimOptions o;
    std::string error;
    ASSERT_TRUE(Parse({}, o, error));
    EXPECT_TRUE(o.rackFile.empty());
    EXPECT_FALSE(o.paced);
    EXPECT_EQ(o.faults.closeAfterReplies, -1);
    EXPECT_FALSE(o.help);
}

TEST(KxrsimOptions, TakesEveryOptionInBothForms) {
    SimOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--rack", "r.txt", "--link=/tmp/kxr", "--paced", "--drop", "0.5", "--corrupt=0.25", "--refuse",
                       "1", "--silent", "--late=40", "--close-after", "3"},
                      o, error))
        << error;
    EXPECT_EQ(o.rackFile, "r.txt");
    EXPECT_EQ(o.linkPath, "/tmp/kxr");
    EXPECT_TRUE(o.paced);
    EXPECT_DOUBLE_EQ(o.faults.dropShare, 0.5);
    EXPECT_DOUBLE_EQ(o.faults.corruptShare, 0.25);
    EXPECT_DOUBLE_EQ(o.faults.refuseShare, 1.0);
    EXPECT_TRUE(o.faults.silent);
    EXPECT_EQ(o.faults.lateMs, 40u);
    EXPECT_EQ(o.faults.closeAfterReplies, 3);
}

TEST(KxrsimOptions, LockLossesAreKeptInTheOrderGiven) {
    SimOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--lose-lock", "1:10:5", "--lose-lock=4B:0:3"}, o, error)) << error;
    ASSERT_EQ(o.lockLosses.size(), 2u);
    EXPECT_EQ(o.lockLosses[0], (LockLoss{1, 0, 10, 5}));
    EXPECT_EQ(o.lockLosses[1], (LockLoss{4, 1, 0, 3}));
    EXPECT_NE(SimUsage().find("--lose-lock ROW[INPUT]:AFTER:FOR"), std::string::npos);
}

TEST(KxrsimOptions, HelpIsAFlag) {
    SimOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--help"}, o, error));
    EXPECT_TRUE(o.help);
    EXPECT_NE(SimUsage().find("--close-after N"), std::string::npos);
}

TEST(KxrsimOptions, RefusesBadArgumentsWithAReason) {
    struct Case {
        std::vector<std::string_view> args;
        std::string error;
    };
    const Case cases[] = {
        {{"--fast"}, "unknown option '--fast'"},
        {{"rack.txt"}, "unknown option 'rack.txt'"},
        {{"--rack"}, "option --rack needs a value"},
        {{"--rack="}, "--rack wants a path"},
        {{"--paced=1"}, "option --paced takes no value"},
        {{"--drop", "1.5"}, "--drop wants a share from 0 to 1, not '1.5'"},
        {{"--corrupt", "-0.1"}, "--corrupt wants a share from 0 to 1, not '-0.1'"},
        {{"--refuse", "half"}, "--refuse wants a share from 0 to 1, not 'half'"},
        {{"--drop", "nan"}, "--drop wants a share from 0 to 1, not 'nan'"},
        {{"--late", "-5"}, "--late wants milliseconds from 0 to 600000, not '-5'"},
        {{"--late", "600001"}, "--late wants milliseconds from 0 to 600000, not '600001'"},
        {{"--close-after", "-1"}, "--close-after wants a number of replies, not '-1'"},
        {{"--close-after", "2x"}, "--close-after wants a number of replies, not '2x'"},
        {{"--lose-lock", "1:10"},
         "--lose-lock wants ROW[INPUT]:AFTER_POLLS:FOR_POLLS (for example 1:10:5 or 4B:10:5), not '1:10'"},
        {{"--lose-lock", "0:10:5"},
         "--lose-lock wants ROW[INPUT]:AFTER_POLLS:FOR_POLLS (for example 1:10:5 or 4B:10:5), not '0:10:5'"},
        {{"--lose-lock", "4D:10:5"},
         "--lose-lock wants ROW[INPUT]:AFTER_POLLS:FOR_POLLS (for example 1:10:5 or 4B:10:5), not '4D:10:5'"},
        {{"--lose-lock", "1:10:0"},
         "--lose-lock wants ROW[INPUT]:AFTER_POLLS:FOR_POLLS (for example 1:10:5 or 4B:10:5), not '1:10:0'"},
        {{"--lose-lock", "1:-1:5"},
         "--lose-lock wants ROW[INPUT]:AFTER_POLLS:FOR_POLLS (for example 1:10:5 or 4B:10:5), not '1:-1:5'"},
        {{"--lose-lock", "1:10:5:2"},
         "--lose-lock wants ROW[INPUT]:AFTER_POLLS:FOR_POLLS (for example 1:10:5 or 4B:10:5), not '1:10:5:2'"},
    };
    for (const Case& c : cases) {
        SimOptions o;
        o.rackFile = "kept";
        std::string error;
        SCOPED_TRACE(c.error);
        EXPECT_FALSE(Parse(c.args, o, error));
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(o.rackFile, "kept");
    }
}

TEST(KxrsimOptions, AdapterLatencyIsAUsbTimerOfUpTo255Milliseconds) {
    SimOptions o;
    std::string error;
    ASSERT_TRUE(Parse({}, o, error));
    EXPECT_EQ(o.adapterLatencyMs, 0u);
    ASSERT_TRUE(Parse({"--paced", "--adapter-latency", "16"}, o, error)) << error;
    EXPECT_EQ(o.adapterLatencyMs, 16u);
    ASSERT_TRUE(Parse({"--adapter-latency=255"}, o, error)) << error;
    EXPECT_EQ(o.adapterLatencyMs, 255u);
    EXPECT_FALSE(Parse({"--adapter-latency", "256"}, o, error));
    EXPECT_EQ(error, "--adapter-latency wants milliseconds from 0 to 255, not '256'");
    EXPECT_FALSE(Parse({"--adapter-latency", "-1"}, o, error));
    EXPECT_NE(SimUsage().find("--adapter-latency MS"), std::string::npos);
}

TEST(KxrsimOptions, TakesTheFaultCampaignsOptionsAndRefusesBadMoments) {
    SimOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--link", "/tmp/kxr", "--hang-up", "0xC0/2", "--back-after=1500", "--reboot", "40",
                       "--flip-bytes", "1000", "--pull-cam=pin", "--endless-questions", "--oversized-cam-menu"},
                      o, error))
        << error;
    EXPECT_EQ(o.faults.hangUpAt.command, 0xC0);
    EXPECT_EQ(o.faults.hangUpAt.nth, 2u);
    EXPECT_EQ(o.backAfterMs, 1500u);
    EXPECT_EQ(o.faults.rebootAt.afterRequests, 40u);
    EXPECT_EQ(o.faults.rebootAt.command, -1);
    EXPECT_EQ(o.faults.flipEvery, 1000u);
    EXPECT_EQ(o.camFaults.pullDuring, CamScreen::PinQuestion);
    EXPECT_TRUE(o.camFaults.quirks.endlessQuestions);
    EXPECT_TRUE(o.camFaults.quirks.oversizedMenu);

    for (const std::vector<std::string_view>& bad : {std::vector<std::string_view>{"--hang-up", "0"},
                                                     {"--reboot", "0x51"},
                                                     {"--hang-up", "soon"},
                                                     {"--flip-bytes", "0"},
                                                     {"--pull-cam", "list"},
                                                     {"--back-after", "-1"}}) {
        SimOptions untouched;
        EXPECT_FALSE(Parse(bad, untouched, error)) << bad[0] << ' ' << bad[1];
        EXPECT_NE(error.find(bad[0]), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace kelvane::sim
