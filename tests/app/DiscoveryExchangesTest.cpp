#include "app/DiscoveryExchanges.h"

#include "link/Xmit.h"
#include "tests/support/ScriptedPort.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

using test::Accept;
using test::Bytes;
using test::Identity;
using test::ScriptedPort;

const ScriptedPort::Reaction kSilence{};

class DiscoveryExchangesTest : public ::testing::Test {
protected:
    ScriptedPort& Connect(std::deque<ScriptedPort::Reaction> reactions) {
        reactions.push_front(Identity(14));  // answers the search's probe
        ports.Install(0, std::move(reactions));
        EXPECT_TRUE(link.FindPort());
        ports.last->writes.clear();
        return *ports.last;
    }

    VirtualClock clock;
    test::ScriptedPortOpener ports{clock};
    CXmit link{ports, clock};
    SlotTable table;
};

TEST_F(DiscoveryExchangesTest, TwoModulesInReplyOrder) {
    ScriptedPort& port = Connect({
        Identity(23),  // controller
        Accept({0x09, 1, 12, 0x04, 5, 31}),  // two triples
        Identity(23),
        Identity(13),
        Identity(32),
        Accept({}),
        Accept({0xAA, 0xBB, 0xCC}),
        Accept({0x01, 0x02, 0x03, 0x04}),
    });
    std::vector<std::size_t> rowsRead;
    const DiscoveryReport report =
        RunDiscoveryExchanges(link, table, [&](std::size_t row) { rowsRead.push_back(row); });
    EXPECT_TRUE(report.moduleListRead);
    EXPECT_FALSE(report.inactiveRow);
    EXPECT_TRUE(report.configUnread.none());
    ASSERT_EQ(table.ModuleCount, 3);
    EXPECT_EQ(table[0].Type, 0);
    EXPECT_EQ(table[0].Version, 23);
    EXPECT_EQ(table[1].Address, 0x09);
    EXPECT_EQ(table[1].Type, 1);
    EXPECT_EQ(table[1].Version, 13);  // the probe's version wins over the list's
    EXPECT_EQ(table[2].Address, 0x04);
    EXPECT_EQ(table[2].Type, 5);
    EXPECT_EQ(table[2].Version, 32);
    EXPECT_EQ(table[1].ConfigLength, 3);
    EXPECT_EQ(table[1].Config[2], 0xCC);
    EXPECT_EQ(table[2].ConfigLength, 4);
    EXPECT_EQ(rowsRead, (std::vector<std::size_t>{0, 1, 2}));
    // Destinations in order: controller probe and list, three probes, three configuration reads.
    std::vector<int> destinations;
    for (const Bytes& w : port.writes) destinations.push_back(w[1]);
    EXPECT_EQ(destinations, (std::vector<int>{0, 0, 0, 9, 4, 0, 9, 4}));
}

TEST_F(DiscoveryExchangesTest, EmptyModuleListLeavesOnlyTheController) {
    Connect({Identity(5), Accept({}), Identity(5), Accept({})});
    const DiscoveryReport report = RunDiscoveryExchanges(link, table);
    EXPECT_TRUE(report.moduleListRead);
    EXPECT_EQ(table.ModuleCount, 1);
    EXPECT_EQ(table[0].Version, 5);
}

TEST_F(DiscoveryExchangesTest, FailedModuleListLeavesOnlyTheController) {
    Connect({Identity(5), kSilence, kSilence, kSilence, Identity(5), Accept({})});
    const DiscoveryReport report = RunDiscoveryExchanges(link, table);
    EXPECT_FALSE(report.moduleListRead);
    EXPECT_EQ(table.ModuleCount, 1);
    EXPECT_TRUE(link.LinkLost());
}

TEST_F(DiscoveryExchangesTest, InactiveModuleStopsDiscoveryBeforeAnyConfigurationRead) {
    ScriptedPort& port =
        Connect({Identity(5), Accept({0x01, 1, 10, 0x02, 2, 10}), Identity(5), Identity(10), Identity(10, 0xFF)});
    const DiscoveryReport report = RunDiscoveryExchanges(link, table);
    ASSERT_TRUE(report.inactiveRow);
    EXPECT_EQ(*report.inactiveRow, 2u);
    EXPECT_EQ(report.inactiveBecause, IdentityFailure::ReportsInactive);
    EXPECT_EQ(port.writes.size(), 5u);
}

TEST_F(DiscoveryExchangesTest, SilentModuleIsToldApartFromOneThatSaysItIsInactive) {
    ScriptedPort& port = Connect(
        {Identity(5), Accept({0x01, 1, 10, 0x02, 2, 10}), Identity(5), Identity(10), kSilence, kSilence, kSilence});
    const DiscoveryReport report = RunDiscoveryExchanges(link, table);
    EXPECT_EQ(report.inactiveRow, std::optional<std::size_t>(2));
    EXPECT_EQ(report.inactiveBecause, IdentityFailure::NoAnswer);
    EXPECT_EQ(port.writes.size(), 7u);  // the probe of row 2 was tried three times

    SlotTable other;
    Connect({Identity(5), Accept({0x01, 1, 10}), Identity(5), Identity(10)});
    EXPECT_EQ(RunDiscoveryExchanges(link, other).inactiveBecause, IdentityFailure::None);
}

TEST_F(DiscoveryExchangesTest, ProbeWithoutMarkOrTooShortCountsAsInactive) {
    Connect({Identity(5), Accept({0x01, 1, 10}), Identity(5), Accept({0x77, 0x00})});
    const DiscoveryReport shortReply = RunDiscoveryExchanges(link, table);
    EXPECT_EQ(shortReply.inactiveRow, std::optional<std::size_t>(1));
    EXPECT_EQ(shortReply.inactiveBecause, IdentityFailure::NotIdentified);

    SlotTable other;
    Connect({Identity(5), Accept({0x01, 1, 10}), Identity(5), Accept({'x', 0x00, 10})});
    const DiscoveryReport noMark = RunDiscoveryExchanges(link, other);
    EXPECT_EQ(noMark.inactiveRow, std::optional<std::size_t>(1));
    EXPECT_EQ(noMark.inactiveBecause, IdentityFailure::NotIdentified);
}

// A reply that cannot be the rack's module list (a late identity reply, a cut or garbled one) is refused: only
// the controller's row stays, and the report says why.
TEST_F(DiscoveryExchangesTest, AModuleListThatCannotBeTheRacksIsRefused) {
    const struct {
        Bytes list;
        ModuleListFault fault;
    } cases[] = {
        {{0x77, 0x00, 0x0E}, ModuleListFault::ControllerAfterRowZero},
        {{0x01, 1, 10, 0x30}, ModuleListFault::PartialTriple},
        {{0x01, 1, 10, 0x00, 2, 10}, ModuleListFault::AddressOutOfRange},
        {{0xFD, 1, 10}, ModuleListFault::AddressOutOfRange},
        {{0xFF, 1, 10}, ModuleListFault::AddressOutOfRange},
        {{0x04, 1, 10, 0x05, 2, 10, 0x04, 5, 10}, ModuleListFault::AddressTwice},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.list));
        Connect({Identity(5), Accept(c.list), Identity(5), Accept({})});
        SlotTable fresh;
        const DiscoveryReport report = RunDiscoveryExchanges(link, fresh);
        EXPECT_FALSE(report.moduleListRead);
        EXPECT_EQ(report.moduleListFault, c.fault);
        EXPECT_STRNE(ModuleListFaultText(c.fault), "");
        EXPECT_EQ(fresh.ModuleCount, 1);
    }
}

TEST_F(DiscoveryExchangesTest, TriplesBeyondTheTableAreIgnored) {
    Bytes list;
    for (std::uint8_t k = 1; k <= 16; ++k) list.insert(list.end(), {k, 1, 10});
    std::deque<ScriptedPort::Reaction> script{Identity(5), Accept(list)};
    for (int k = 0; k < 15; ++k) script.push_back(Identity(10));
    for (int k = 0; k < 15; ++k) script.push_back(Accept({}));
    Connect(script);
    const DiscoveryReport report = RunDiscoveryExchanges(link, table);
    EXPECT_EQ(table.ModuleCount, kSlotCount);
    EXPECT_EQ(table[14].Address, 14);
    EXPECT_FALSE(report.inactiveRow);
}

TEST_F(DiscoveryExchangesTest, ConfigurationTooLongIsRefusedNotCut) {
    Connect({Identity(5), Accept({0x01, 1, 10}), Identity(5), Identity(10), Accept({}),
             Accept(Bytes(kConfigCapacity + 1, 0x5A))});
    table[1].ConfigLength = 7;
    const DiscoveryReport report = RunDiscoveryExchanges(link, table);
    EXPECT_TRUE(report.configUnread.test(1));
    EXPECT_EQ(table[1].ConfigLength, 0);
    EXPECT_EQ(table[1].Config[0], 0);
}

TEST_F(DiscoveryExchangesTest, ConfigurationOfExactlyTheCapacityIsKept) {
    Connect({Identity(5), Accept({0x01, 2, 10}), Identity(5), Identity(10), Accept({}),
             Accept(Bytes(kConfigCapacity, 0x5A))});
    const DiscoveryReport report = RunDiscoveryExchanges(link, table);
    EXPECT_TRUE(report.configUnread.none());
    EXPECT_EQ(table[1].ConfigLength, kConfigCapacity);
}

TEST_F(DiscoveryExchangesTest, FailedConfigurationReadKeepsGoing) {
    Connect({Identity(5), Accept({0x01, 1, 10, 0x02, 2, 11}), Identity(5), Identity(10), Identity(11), Accept({}),
             kSilence, kSilence, kSilence, Accept({0x42})});
    const DiscoveryReport report = RunDiscoveryExchanges(link, table);
    EXPECT_TRUE(report.configUnread.test(1));
    EXPECT_FALSE(report.configUnread.test(2));
    EXPECT_EQ(table[2].ConfigLength, 1);
}

// After a restart the rack chosen among many is waited for on its own entry: another rack of the table that
// answers at once is not it.
TEST_F(DiscoveryExchangesTest, SearchAfterARestartStaysOnTheChosenPort) {
    ports.Install(0, {Identity(14)});
    ports.Install(1, {});  // the chosen rack, still restarting
    const struct {
        const char* what;
        std::optional<std::uint8_t> only;
        bool found;
    } rows[] = {{"the whole table", std::nullopt, true}, {"the chosen entry alone", 1, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ports.opened.clear();
        link.SetPortNumber(1);
        EXPECT_EQ(SearchUntilFound(
                      link, clock, 3000, [] { return true; }, row.only),
                  row.found);
        EXPECT_EQ(std::count(ports.opened.begin(), ports.opened.end(), 0), row.found ? 1 : 0);
    }
}

}  // namespace
}  // namespace kelvane
