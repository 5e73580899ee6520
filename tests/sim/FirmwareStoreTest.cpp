#include "sim/FirmwareStore.h"
#include "sim/RackEngine.h"

#include "sim/ModuleModels.h"
#include "tests/sim/HexBytes.h"

#include <gtest/gtest.h>

namespace kelvane::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(FirmwareStore, BlocksLandAtTheirOffsetsAndSkippedOnesStayErased) {
    FirmwareStore store;
    store.Start();
    EXPECT_TRUE(store.Block(512, Bytes(256, 0x33)));
    EXPECT_TRUE(store.Block(0, Bytes(256, 0x11)));
    EXPECT_TRUE(store.Commit());
    const Bytes& image = store.Image();
    ASSERT_EQ(image.size(), 768u);
    EXPECT_EQ(image[0], 0x11);
    EXPECT_EQ(image[256], 0xFF);
    EXPECT_EQ(image[767], 0x33);
}

TEST(FirmwareStore, RefusesBlocksOutsideAnUpdateOrBeyondItsCapacity) {
    FirmwareStore store;
    EXPECT_FALSE(store.Block(0, Bytes(16, 0)));
    EXPECT_FALSE(store.Commit());
    store.Start();
    EXPECT_FALSE(store.Block(FirmwareStore::kCapacity - 8, Bytes(16, 0)));
    EXPECT_FALSE(store.Block(0xFFFFFFFF, Bytes(1, 0)));
    EXPECT_TRUE(store.Block(FirmwareStore::kCapacity - 16, Bytes(16, 0)));
}

TEST(FirmwareStore, NewVersionOnlyAfterACommitAndARestart) {
    FirmwareStore store;
    EXPECT_EQ(store.Restart(14), std::nullopt);
    store.Start();
    store.Block(0, Bytes{'x', 'K', 'X', 'R', 'V', 31, 'y'});
    EXPECT_EQ(store.Restart(14), std::nullopt);  // never written: the old firmware runs on

    store.Start();
    store.Block(0, Bytes{'x', 'K', 'X', 'R', 'V', 31, 'y'});
    store.Commit();
    EXPECT_EQ(store.Restart(14), 31);
    EXPECT_EQ(store.Restart(31), std::nullopt);

    store.Start();
    store.Block(0, Bytes{1, 2, 3});
    store.Commit();
    EXPECT_EQ(store.Restart(31), 32);  // no marker: one step up
    EXPECT_EQ(FirmwareStore::VersionMarkedIn(Bytes{'K', 'X', 'R', 'V'}), std::nullopt);
}

TEST(FirmwareOverTheBus, UpgradeThenRackRestartChangesTheVersion) {
    RackDescription rack;
    rack.modules = {{kKXB200, 4, 12, true, {}}};
    RackEngine engine(rack);
    const auto ask = [&](std::uint8_t address, const Bytes& payload) {
        return engine.Handle(Request{address, kPcAddress, static_cast<std::uint8_t>(kFirmwareCommand), payload});
    };
    EXPECT_TRUE(ask(4, {0x00})->accepted);
    Bytes block{0x01, 0x00, 0x01, 0x00};
    for (int i = 0; i < 256; ++i)
        block.push_back(i == 7 ? 'K' : i == 8 ? 'X' : i == 9 ? 'R' : i == 10 ? 'V' : i == 11 ? 20 : 0);
    EXPECT_TRUE(ask(4, block)->accepted);
    EXPECT_TRUE(ask(4, {0x02})->accepted);
    EXPECT_FALSE(ask(4, {0x09})->accepted);
    EXPECT_FALSE(ask(4, {})->accepted);
    EXPECT_EQ(engine.Find(4)->Description().version, 12);

    EXPECT_EQ(ask(kBroadcastAddress, {0x03}), std::nullopt);
    EXPECT_EQ(engine.Find(4)->Description().version, 20);
    EXPECT_EQ(engine.Find(4)->Firmware().Image().size(), 512u);
    EXPECT_EQ(engine.Find(0)->Description().version, rack.controllerVersion);
}

}  // namespace
}  // namespace kelvane::sim
