// Keeping the modules in step with the slot table, heard from the rack's side.

#include "config/ConfigSync.h"

#include "sim/DefaultRack.h"
#include "sim/ModuleModels.h"
#include "tests/config/SlotTables.h"
#include "tests/support/EnginePort.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

using test::Bytes;
using test::Heard;

// A rack of the given types at addresses 1, 2, …, each with the same small image.
sim::RackDescription RackOf(std::initializer_list<std::uint8_t> types) {
    sim::RackDescription rack;
    std::uint8_t address = 1;
    for (const std::uint8_t type : types) rack.modules.push_back({type, address++, 10, true, {1, 2, 3, 4, 5, 6}});
    return rack;
}

class ConfigSyncTest : public ::testing::Test {
protected:
    void Use(const sim::RackDescription& rack) {
        rack_ = std::make_unique<test::EngineRack>(rack, clock_);
        seen_ = 0;
        ASSERT_TRUE(Link().FindPort());
        table = test::TableOf(rack);
        MarkConfigsSent(table);
        Requests();
    }
    // The requests heard since the last call.
    std::vector<Heard> Requests() {
        std::vector<Heard> fresh = test::HeardFrom(rack_->engine.RequestLog(), seen_);
        seen_ = rack_->engine.RequestLog().size();
        return fresh;
    }
    std::vector<std::uint8_t> Restarted(std::uint8_t inputAddress) {
        EXPECT_TRUE(RestartOutputModules(Link(), table, inputAddress));
        std::vector<std::uint8_t> addresses;
        for (const Heard& h : Requests()) {
            EXPECT_EQ(h, (Heard{h.address, 0x80, {}}));
            addresses.push_back(h.address);
        }
        return addresses;
    }
    CXmit& Link() { return rack_->link; }

    SlotTable table;

private:
    VirtualClock clock_;
    std::unique_ptr<test::EngineRack> rack_;
    std::size_t seen_ = 0;
};

TEST_F(ConfigSyncTest, OnlyChangedImagesAreWrittenAndOutputsRestartedAfterTheirWrite) {
    Use(sim::DefaultRack());
    EXPECT_TRUE(SendChangedConfigs(Link(), table));
    EXPECT_TRUE(Requests().empty());

    table[1].Config[0] ^= 0x01;  // the KXB200 at address 1
    table[5].Config[3] ^= 0x01;  // the KXD420 at address 5
    table[2].Config[0] ^= 0x01;  // the CI module and the controller are never sent
    table[0].ConfigLength = 1;
    table[8] = test::Record(sim::kKXD400, 9, {7, 7});  // a stale record beyond the list
    EXPECT_TRUE(SendChangedConfigs(Link(), table));
    EXPECT_EQ(Requests(),
              (std::vector<Heard>{
                  {1, 0x50, test::ImageBytes(table[1])}, {5, 0x50, test::ImageBytes(table[5])}, {5, 0x80, {}}}));
    EXPECT_TRUE(SendChangedConfigs(Link(), table));
    EXPECT_TRUE(Requests().empty()) << "a sent image is not sent again";

    table[1].ConfigLength = 4;  // a shorter image with the same first bytes is a change
    SendChangedConfigs(Link(), table);
    EXPECT_EQ(Requests(), (std::vector<Heard>{{1, 0x50, test::ImageBytes(table[1])}}));
    table[1].ConfigLength = kConfigCapacity + 1;  // more than the buffer holds is never sent
    SendChangedConfigs(Link(), table);
    EXPECT_TRUE(Requests().empty());
}

TEST_F(ConfigSyncTest, AFailedWriteIsReportedAndNotRepeated) {
    Use(RackOf({sim::kKXD400}));
    table[table.ModuleCount++] = test::Record(sim::kKXD410, 7, {1});  // the rack has no module there
    EXPECT_FALSE(SendChangedConfigs(Link(), table));
    EXPECT_TRUE(Link().LinkLost());
    const std::vector<Heard> heard = Requests();
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.front(), (Heard{7, 0x50, {1}}));
    Link().SetLinkLost(false);
    EXPECT_TRUE(SendChangedConfigs(Link(), table));
    EXPECT_TRUE(Requests().empty());
}

TEST_F(ConfigSyncTest, RestartFollowsTheChainOfTheGivenInput) {
    // [input A, output X, input B, output Y, output Z]
    Use(RackOf({sim::kKXB200, sim::kKXD400, sim::kKXB210, sim::kKXD410, sim::kKXE500}));
    EXPECT_EQ(Restarted(3), (std::vector<std::uint8_t>{4, 5}));
    EXPECT_EQ(Restarted(1), (std::vector<std::uint8_t>{2}));
    EXPECT_EQ(Restarted(kAllOutputs), (std::vector<std::uint8_t>{2, 4, 5}));

    // [input A, CI, input B, output X, CI, output Y, input C, output Z]: inputs before the first output do not
    // end the run, and an address that is no input's selects nothing.
    Use(RackOf({sim::kKXB200, sim::kKXF600, sim::kKXC300, sim::kKXD400, sim::kKXF600, sim::kKXD420, sim::kKXB210,
                sim::kKXD410}));
    EXPECT_EQ(Restarted(1), (std::vector<std::uint8_t>{4, 6}));
    EXPECT_TRUE(Restarted(8).empty());
}

}  // namespace
}  // namespace kelvane
