#include "sim/RackEngine.h"

#include "sim/DefaultRack.h"
#include "sim/ModuleModels.h"
#include "tests/sim/HexBytes.h"
#include "tests/sim/ReplyFrames.h"

#include <gtest/gtest.h>

namespace kelvane::sim {
namespace {

using test::Hex;

// A small rack: controller V1.5, an active KXB200 at 4 with a three-byte image, an inactive KXD400 at 9, and
// a KXF600 at 2.
RackDescription SmallRack() {
    RackDescription rack;
    rack.controllerVersion = 15;
    rack.modules = {{kKXB200, 4, 12, true, Hex("AA BB CC")}, {kKXD400, 9, 31, false, {}}, {kKXF600, 2, 10, true, {}}};
    return rack;
}

std::vector<std::uint8_t> Request(std::uint8_t address, std::uint8_t command,
                                  const std::vector<std::uint8_t>& payload = {}) {
    return EncodeFrame(address, kPcAddress, command, payload);
}

class RackEngineTest : public ::testing::Test {
protected:
    RackEngine engine{SmallRack()};
};

TEST_F(RackEngineTest, IdentityProbesSayWhoAnswers) {
    // 'w', 0 for the controller and active modules, 0xFF for an inactive one, then the version.
    EXPECT_EQ(engine.Respond(Request(0, kIdentityCommand)), Hex("02 FD 00 F3 77 00 0F 8B"));
    EXPECT_EQ(engine.Respond(Request(4, kIdentityCommand)), Hex("02 FD 04 F3 77 00 0C 88"));
    EXPECT_EQ(engine.Respond(Request(9, kIdentityCommand)), Hex("02 FD 09 F3 77 FF 1F 64"));
}

TEST_F(RackEngineTest, ControllerListsModulesInSlotOrder) {
    // {4, 1, 12} {9, 2, 31} {2, 3, 10}: nine bytes, one length byte, the 0x02s doubled.
    EXPECT_EQ(engine.Respond(Request(0, kListCommand)), Hex("02 FD 00 F4 09 04 01 0C 09 02 02 1F 02 02 03 0A EB"));
}

TEST_F(RackEngineTest, ConfigurationReadGivesTheWholeImage) {
    EXPECT_EQ(engine.Respond(Request(4, kReadConfigCommand)), Hex("02 FD 04 F3 AA BB CC 2E"));
    EXPECT_EQ(engine.Respond(Request(2, kReadConfigCommand)), Hex("02 FD 02 02 F0 F0"));
}

TEST_F(RackEngineTest, ConfigurationWriteIsKeptAndReadBack) {
    EXPECT_EQ(engine.Respond(Request(4, kWriteCommand, Hex("01 02 03 04"))), Hex("02 FD 04 F0 F0"));
    EXPECT_EQ(engine.Find(4)->Config(), Hex("01 02 03 04"));
    EXPECT_EQ(engine.Find(4)->ConfigWrites(), 1u);
    EXPECT_EQ(engine.Respond(Request(4, kReadConfigCommand)),
              EncodeFrame(kPcAddress, 4, kAccepted, Hex("01 02 03 04")));
}

TEST_F(RackEngineTest, WriteLongerThanTheModuleHoldsIsRefusedAndChangesNothing) {
    const std::vector<std::uint8_t> longImage(kMaxConfigLength + 1, 0x33);
    EXPECT_EQ(engine.Respond(Request(4, kWriteCommand, longImage)), Hex("02 FD 04 E0 E0"));
    EXPECT_EQ(engine.Find(4)->Config(), Hex("AA BB CC"));
    EXPECT_EQ(engine.Find(4)->ConfigWrites(), 0u);

    const std::vector<std::uint8_t> fullImage(kMaxConfigLength, 0x33);
    EXPECT_EQ(engine.Respond(Request(4, kWriteCommand, fullImage)), Hex("02 FD 04 F0 F0"));
    EXPECT_EQ(engine.Find(4)->Config(), fullImage);
}

TEST_F(RackEngineTest, RestartsAreCountedPerModule) {
    EXPECT_EQ(engine.Respond(Request(4, kRestartCommand)), Hex("02 FD 04 F0 F0"));
    engine.Respond(Request(4, kRestartCommand));
    EXPECT_EQ(engine.Find(4)->RestartCount(), 2u);
    EXPECT_EQ(engine.Find(2)->RestartCount(), 0u);
}

TEST_F(RackEngineTest, BroadcastIsActedOnButNeverAnswered) {
    EXPECT_TRUE(engine.Respond(Request(kBroadcastAddress, kRestartCommand)).empty());
    EXPECT_EQ(engine.Find(0)->RestartCount(), 1u);
    EXPECT_EQ(engine.Find(4)->RestartCount(), 1u);
    EXPECT_EQ(engine.Find(9)->RestartCount(), 0u);  // inactive: hears nothing but the probe
    EXPECT_EQ(engine.RequestCount(), 1u);
}

TEST_F(RackEngineTest, UnknownAddressIsNotAnswered) {
    EXPECT_TRUE(engine.Respond(Request(5, kIdentityCommand)).empty());
    EXPECT_EQ(engine.RequestCount(), 1u);
    EXPECT_EQ(engine.RequestLog().back().destination, 5);
}

TEST_F(RackEngineTest, UnhandledCommandsAreRefused) {
    EXPECT_EQ(engine.Respond(Request(4, 0xA0, Hex("00"))), Hex("02 FD 04 E0 E0"));
    EXPECT_EQ(engine.Respond(Request(4, kFirmwareCommand, Hex("01 00 00"))), Hex("02 FD 04 E0 E0"));
    EXPECT_EQ(engine.Respond(Request(0, kReadConfigCommand)), Hex("02 FD 00 F0 F0"));  // the controller's empty image
    EXPECT_EQ(engine.Respond(Request(4, kFileListCommand)), Hex("02 FD 04 E0 E0"));  // a tuner stores no files
    EXPECT_EQ(engine.Respond(Request(9, kReadConfigCommand)), Hex("02 FD 09 E0 E0"));  // inactive
}

TEST_F(RackEngineTest, CamTrafficToTheCiModuleIsNotAConfiguration) {
    EXPECT_EQ(engine.Respond(Request(2, kWriteCommand, Hex("01 00 03 9F 80 31"))), Hex("02 FD 02 02 F0 F0"));
    EXPECT_TRUE(engine.Find(2)->Config().empty());
    EXPECT_EQ(engine.Find(2)->ConfigWrites(), 0u);
}

TEST_F(RackEngineTest, BadFramesAreIgnoredAndCounted) {
    EXPECT_TRUE(engine.Respond(Hex("02 04 FD 10 11")).empty());  // checksum
    EXPECT_TRUE(engine.Respond(Hex("02 04 FD 1C 1C")).empty());  // length form
    EXPECT_EQ(engine.RejectedFrameCount(), 2u);
    EXPECT_EQ(engine.RequestCount(), 0u);
    EXPECT_TRUE(engine.RequestLog().empty());
}

TEST_F(RackEngineTest, RepliesFollowRequestsInOrder) {
    std::vector<std::uint8_t> line = Request(4, kRestartCommand);
    const auto second = Request(0, kIdentityCommand);
    line.insert(line.end(), second.begin(), second.end());
    EXPECT_EQ(engine.Respond(line), Hex("02 FD 04 F0 F0 02 FD 00 F3 77 00 0F 8B"));
    ASSERT_EQ(engine.RequestLog().size(), 2u);
    EXPECT_EQ(engine.RequestLog()[0].Command(), kRestartCommand);
    EXPECT_EQ(engine.RequestLog()[1].destination, 0);
}

TEST(RackEngineLog, KeepsOnlyTheLatestRequests) {
    RackEngine engine{SmallRack()};
    const auto probe = Request(4, kIdentityCommand);
    for (std::size_t i = 0; i < RackEngine::kRequestLogCapacity + 3; ++i) engine.Respond(probe);
    EXPECT_EQ(engine.RequestCount(), RackEngine::kRequestLogCapacity + 3);
    EXPECT_EQ(engine.RequestLog().size(), RackEngine::kRequestLogCapacity);
}

TEST(RackEngineDefaultRack, ListsItsSevenModules) {
    RackEngine engine{DefaultRack()};
    const auto reply = test::ReadReplyFrame(engine.Respond(Request(0, kListCommand)));
    ASSERT_TRUE(reply.has_value());
    EXPECT_TRUE(reply->checksumOk);
    EXPECT_EQ(reply->payload, Hex("01 01 0C  02 03 0A  03 05 15  04 07 0B  05 06 14  06 04 0D  07 02 12"));
}

}  // namespace
}  // namespace kelvane::sim
