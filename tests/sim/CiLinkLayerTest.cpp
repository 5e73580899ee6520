// The CI module's link with its CAM: chunks out, link-layer packets in, and the CAM slot behind the module's
// commands.

#include "sim/CiLinkLayer.h"
#include "sim/ModuleModels.h"
#include "sim/RackEngine.h"
#include "sim/RackModules.h"
#include "tests/sim/HexBytes.h"

#include <gtest/gtest.h>

namespace kelvane::sim {
namespace {

using ci::Bytes;
using test::Hex;

Bytes Counting(std::size_t n) {
    Bytes bytes(n);
    for (std::size_t k = 0; k < n; ++k) bytes[k] = static_cast<std::uint8_t>(k);
    return bytes;
}

Bytes Slice(const Bytes& bytes, std::size_t from, std::size_t count) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                 bytes.begin() + static_cast<std::ptrdiff_t>(from + count));
}

Bytes ChunkOf(const Bytes& fragment, std::uint8_t more, std::uint8_t skip = 0) {
    const std::size_t c = fragment.size() + 2;
    Bytes chunk{static_cast<std::uint8_t>(skip | c >> 8), static_cast<std::uint8_t>(c), 0x01, more};
    chunk.insert(chunk.end(), fragment.begin(), fragment.end());
    return chunk;
}

Bytes Joined(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(CiLinkLayer, ShortPacketsGoInOneLastChunk) {
    CiLinkLayer link;
    link.Send(Hex("A0 03 01 AA BB"));
    EXPECT_EQ(link.Read(), Hex("00 07 01 00 A0 03 01 AA BB"));
    EXPECT_TRUE(link.Read().empty());
}

TEST(CiLinkLayer, LongPacketsAreCutIntoFragmentsHandedOverAFewAtATime) {
    CiLinkLayer link;
    const Bytes transport = Counting(200);
    link.Send(transport);
    ASSERT_EQ(link.ChunksWaiting(), 5u);
    const Bytes first = ChunkOf(Slice(transport, 0, 40), 0x80);
    const Bytes second = ChunkOf(Slice(transport, 40, 40), 0x80);
    const Bytes third = ChunkOf(Slice(transport, 80, 40), 0x80);
    // The third chunk is handed over twice, the second time flagged to be skipped.
    Bytes thirdAgain = third;
    thirdAgain[0] |= 0x80;
    EXPECT_EQ(link.Read(), Joined({first, second, third, thirdAgain}));
    EXPECT_EQ(link.Read(),
              Joined({ChunkOf(Slice(transport, 120, 40), 0x80), ChunkOf(Slice(transport, 160, 40), 0x00)}));
    EXPECT_TRUE(link.Read().empty());
}

TEST(CiLinkLayer, HostPacketsGiveTheirSessionPackets) {
    CiLinkLayer link;
    EXPECT_EQ(link.Receive(Hex("01 00 A0 09 01 90 02 00 02 9F 80 22 00")),
              std::vector<Bytes>{Hex("90 02 00 02 9F 80 22 00")});
    // Status packets and cut-short packets carry nothing for the CAM.
    EXPECT_TRUE(link.Receive(Hex("01 00 80 02 01 00")).empty());
    EXPECT_TRUE(link.Receive(Hex("01 00 A0 09 01 90")).empty());
    EXPECT_TRUE(link.Receive(Hex("01")).empty());
}

TEST(CiLinkLayer, HostPacketsInFragmentsAreGathered) {
    CiLinkLayer link;
    EXPECT_TRUE(link.Receive(Hex("01 80 A0 0A 01 90 02")).empty());
    EXPECT_EQ(link.Receive(Hex("01 00 00 04 9F 88 0B 01 02")), std::vector<Bytes>{Hex("90 02 00 04 9F 88 0B 01 02")});
    Bytes huge{0x01, 0x80};
    huge.resize(CiLinkLayer::kReceiveCapacity + 3, 0x00);
    EXPECT_TRUE(link.Receive(huge).empty());
    EXPECT_EQ(link.Receive(Hex("01 00 A0 02 01 55")), std::vector<Bytes>{Hex("55")});
}

TEST(CamSlot, StatusFollowsTheCamAndAFreshCamAnnouncesItself) {
    CamSlot slot;
    EXPECT_EQ(slot.Status(), 1);
    EXPECT_FALSE(slot.Read().empty());
    slot.Write(Hex("01 00 A0 09 01 90 02 00 02 9F 80 22 00"));
    EXPECT_TRUE(slot.Cam().MmiOpen());

    slot.SetPresent(false);
    EXPECT_EQ(slot.Status(), 0);
    EXPECT_TRUE(slot.Read().empty());
    slot.Write(Hex("01 00 A0 09 01 90 02 00 02 9F 80 22 00"));
    EXPECT_TRUE(slot.Read().empty());

    slot.SetPresent(true);
    EXPECT_FALSE(slot.Cam().MmiOpen());
    const Bytes announced = slot.Read();
    ASSERT_GE(announced.size(), 11u);
    EXPECT_EQ(Slice(announced, 4, 7), Hex("A0 1B 01 90 02 00 02"));
}

TEST(CamSlot, CiModuleAnswersStatusReadsAndWrites) {
    RackDescription rack;
    rack.modules = {{kKXF600, 2, 10, true, {}}};
    RackEngine engine(rack);
    auto& module = dynamic_cast<CommonInterfaceModule&>(*engine.Find(2));
    module.Cam().SetPresent(false);
    EXPECT_EQ(engine.Handle({2, kPcAddress, kStatusCommand, {}}), (Reply{2, true, {0x00}}));
    module.Cam().SetPresent(true);
    EXPECT_EQ(engine.Handle({2, kPcAddress, kStatusCommand, {}}), (Reply{2, true, {0x01}}));
    while (!engine.Handle({2, kPcAddress, kListCommand, {}})->payload.empty()) {
    }
    EXPECT_EQ(engine.Handle({2, kPcAddress, kWriteCommand | 0x04, Hex("01 00 A0 09 01 90 02 00 02 9F 80 22 00")}),
              (Reply{2, true, {}}));
    const Reply menu = *engine.Handle({2, kPcAddress, kListCommand, {}});
    EXPECT_EQ(Slice(menu.payload, 0, 4), Hex("00 2A 01 80"));  // the first of the menu's fragments
    EXPECT_TRUE(module.Cam().Cam().MmiOpen());
}

}  // namespace
}  // namespace kelvane::sim
