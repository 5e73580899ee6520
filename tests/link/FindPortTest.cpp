#include "link/Xmit.h"

#include "tests/support/ScriptedPort.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

using test::ReplyFrame;

class FindPortTest : public ::testing::Test {
protected:
    VirtualClock clock;
    test::ScriptedPortOpener ports{clock};
    CXmit link{ports, clock};
};

TEST_F(FindPortTest, SearchStartsAtTheRememberedPortAndWrapsAround) {
    link.SetPortNumber(5);
    ports.Install(3, {{ReplyFrame(0xF0, {0x77, 0x00, 0x0E})}});
    EXPECT_TRUE(link.FindPort());
    EXPECT_EQ(link.PortNumber(), 3);
    ASSERT_EQ(ports.opened.size(), 255u);  // 5..255, then 0..3
    EXPECT_EQ(ports.opened.front(), 5);
    EXPECT_EQ(ports.opened[250], 255);
    EXPECT_EQ(ports.opened[251], 0);
    EXPECT_EQ(ports.opened.back(), 3);
    EXPECT_TRUE(link.PortOpen());
}

TEST_F(FindPortTest, ModuleAnsweringWithNonZeroStateIsPassedOver) {
    link.SetPortNumber(5);
    ports.Install(6, {{ReplyFrame(0xF0, {0x77, 0x01, 0x0E})}});
    ports.Install(7, {{ReplyFrame(0xF0, {0x78, 0x00, 0x0E})}});
    ports.Install(8, {{ReplyFrame(0xF0, {0x77})}});
    ports.Install(9, {{ReplyFrame(0xF0, {0x77, 0x00, 0x0E})}});
    EXPECT_TRUE(link.FindPort());
    EXPECT_EQ(link.PortNumber(), 9);
    EXPECT_EQ(ports.opened, (std::vector<int>{5, 6, 7, 8, 9}));
}

TEST_F(FindPortTest, EverySearchLetsThePortTableBeBuiltAfresh) {
    ports.Install(1, {{ReplyFrame(0xF0, {0x77, 0x00, 0x0E})}, {ReplyFrame(0xF0, {0x77, 0x00, 0x0E})}});
    EXPECT_TRUE(link.FindPort());
    link.ClosePort();
    EXPECT_TRUE(link.FindPort());
    // Before the first open of each search, not once for the program's life.
    EXPECT_EQ(ports.searchStarts, (std::vector<std::size_t>{0, 2}));
}

TEST_F(FindPortTest, SuccessClearsLinkLostLeftByFailedProbes) {
    ports.Install(0, {});  // opens but stays silent: its probe fails all tries
    ports.Install(1, {{ReplyFrame(0xF0, {0x77, 0x00, 0x0E})}});
    link.SetLinkLost(true);
    EXPECT_TRUE(link.FindPort());
    EXPECT_EQ(link.PortNumber(), 1);
    EXPECT_FALSE(link.LinkLost());
}

TEST_F(FindPortTest, NoRackTriesAll256NumbersOnceAndClosesThePort) {
    link.SetPortNumber(200);
    ports.Install(10, {});
    EXPECT_FALSE(link.FindPort());
    EXPECT_EQ(ports.opened.size(), 256u);
    EXPECT_EQ(ports.opened.front(), 200);
    EXPECT_EQ(ports.opened.back(), 199);
    EXPECT_FALSE(link.PortOpen());
    EXPECT_EQ(link.PortNumber(), 200);
    EXPECT_TRUE(link.LinkLost());  // port 10's silent probe
    EXPECT_EQ(link.LastFailure(), LinkFailure::NoPort);
    EXPECT_TRUE(link.BusyPorts().empty());
    EXPECT_FALSE(link.XmitRequest({}, 0, 0x10, 10));
}

TEST_F(FindPortTest, PortsHeldByAnotherProgramAreNamed) {
    ports.InstallBusy(2);
    ports.InstallBusy(7);
    EXPECT_FALSE(link.FindPort());
    EXPECT_EQ(link.LastFailure(), LinkFailure::Busy);
    EXPECT_EQ(link.BusyPorts(), (std::vector<std::string>{"COM2", "COM7"}));

    // Each search starts its list afresh.
    EXPECT_FALSE(link.FindPort());
    EXPECT_EQ(link.BusyPorts(), (std::vector<std::string>{"COM2", "COM7"}));
    ports.Install(1, {{ReplyFrame(0xF0, {0x77, 0x00, 0x0E})}});
    EXPECT_TRUE(link.FindPort());
    EXPECT_EQ(link.LastFailure(), LinkFailure::None);
    EXPECT_TRUE(link.BusyPorts().empty());
}

}  // namespace
}  // namespace kelvane
