// The chunk walk: fragments gathered until a packet is complete, skipped chunks, and chunks that cannot be
// trusted.

#include "cam/MmiReceiver.h"
#include "tests/cam/MmiBytes.h"

#include <gtest/gtest.h>

#include <random>

namespace kelvane {
namespace {

using namespace test::mmi;

class ChunkWalk : public ::testing::Test {
protected:
    // The texts the reply completes.
    std::vector<std::string> Walk(const Bytes& reply) {
        std::vector<MmiEvent> events;
        receiver.WalkChunks(reply, events);
        std::vector<std::string> texts;
        for (const MmiEvent& e : events) {
            if (e.kind == MmiEventKind::Text) texts.push_back(e.text);
        }
        return texts;
    }

    static std::vector<Bytes> Split(const Bytes& bytes, std::size_t size) {
        std::vector<Bytes> parts;
        for (std::size_t at = 0; at < bytes.size(); at += size) {
            parts.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                               bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytes.size(), at + size)));
        }
        return parts;
    }

    MmiReceiver receiver;
};

TEST_F(ChunkWalk, LastFragmentAloneIsDecodedAtOnce) {
    EXPECT_EQ(Walk(Reply(Tpdu(Mmi({Text("Menu principal")})))), std::vector<std::string>{"Menu principal"});
    EXPECT_EQ(receiver.RxLength(), 0u);
    EXPECT_FALSE(receiver.RxMore());
}

TEST_F(ChunkWalk, PacketSplitOverSeveralRepliesIsDecodedOnceWhenItsLastFragmentArrives) {
    const Bytes packet = Tpdu(Mmi({Text("premier"), Text("second")}));
    const std::vector<Bytes> parts = Split(packet, 8);
    ASSERT_GE(parts.size(), 3u);
    EXPECT_TRUE(Walk(Cat({Chunk(parts[0], true), Chunk(parts[1], true)})).empty());
    EXPECT_EQ(receiver.RxLength(), 16u);
    EXPECT_TRUE(receiver.RxMore());
    Bytes rest;
    for (std::size_t k = 2; k < parts.size(); ++k) rest = Cat({rest, Chunk(parts[k], k + 1 < parts.size())});
    EXPECT_EQ(Walk(rest), (std::vector<std::string>{"premier", "second"}));
    EXPECT_EQ(receiver.RxLength(), 0u);
    EXPECT_FALSE(receiver.RxMore());
}

TEST_F(ChunkWalk, SeveralPacketsInOneReply) {
    EXPECT_EQ(Walk(Cat({Reply(Cat({Tpdu(Mmi({Text("a")})), StatusTpdu()})), Reply(Tpdu(Mmi({Text("b")})))})),
              (std::vector<std::string>{"a", "b"}));
}

TEST_F(ChunkWalk, ChunksWithTheSkipFlagAreSteppedOverByTheirLength) {
    const std::vector<Bytes> parts = Split(Tpdu(Mmi({Text("gard\xE9")})), 6);
    Bytes reply;
    for (std::size_t k = 0; k < parts.size(); ++k) {
        const bool more = k + 1 < parts.size();
        // A second copy of each fragment, flagged: taking it would corrupt the packet.
        reply = Cat({reply, Chunk(parts[k], more), Chunk(parts[k], more, true)});
    }
    reply = Cat({reply, Chunk(Tpdu(Mmi({Text("ignore")})), false, true)});
    EXPECT_EQ(Walk(reply), std::vector<std::string>{"gard\xC3\xA9"});
}

TEST_F(ChunkWalk, ChunkTooShortForItsHeaderCarriesNothing) {
    const Bytes packet = Tpdu(Mmi({Text("x")}));
    EXPECT_EQ(Walk(Cat({{0x00, 0x00}, {0x00, 0x01, 0x01}, Reply(packet)})), std::vector<std::string>{"x"});
}

TEST_F(ChunkWalk, ChunkRunningPastTheReplyLosesItsPacketButNotTheNext) {
    const std::vector<Bytes> parts = Split(Tpdu(Mmi({Text("coupe")})), 6);
    Bytes cut = Chunk(parts[1], true);
    cut.resize(cut.size() - 2);
    EXPECT_TRUE(Walk(Cat({Chunk(parts[0], true), cut})).empty());
    EXPECT_EQ(receiver.RxLength(), 0u);
    // The packet's remaining fragments arrive and are dropped with it; the packet after it is whole.
    Bytes rest;
    for (std::size_t k = 2; k < parts.size(); ++k) rest = Cat({rest, Chunk(parts[k], k + 1 < parts.size())});
    EXPECT_TRUE(Walk(rest).empty());
    EXPECT_EQ(Walk(Reply(Tpdu(Mmi({Text("entier")})))), std::vector<std::string>{"entier"});
}

TEST_F(ChunkWalk, CutShortLastChunkEndsItsPacketThere) {
    Bytes cut = Reply(Tpdu(Mmi({Text("perdu")})));
    cut.pop_back();
    EXPECT_TRUE(Walk(cut).empty());
    EXPECT_EQ(Walk(Reply(Tpdu(Mmi({Text("suivant")})))), std::vector<std::string>{"suivant"});
}

TEST_F(ChunkWalk, LoneByteAfterTheChunksIsNoChunk) {
    EXPECT_EQ(Walk(Cat({Reply(Tpdu(Mmi({Text("avant")}))), {0x00}})), std::vector<std::string>{"avant"});
}

TEST_F(ChunkWalk, PacketOfExactlyTheBufferSizeIsGathered) {
    // A 4096-byte packet: 5-byte transport header, 4-byte session header, one text object of 6 + 4081 bytes.
    const Bytes packet = Tpdu(Mmi({Text(std::string(4081, 'k'))}));
    ASSERT_EQ(packet.size(), MmiReceiver::kRxBufferSize);
    Bytes reply;
    const std::vector<Bytes> parts = Split(packet, 1000);
    for (std::size_t k = 0; k < parts.size(); ++k) reply = Cat({reply, Chunk(parts[k], k + 1 < parts.size())});
    EXPECT_EQ(Walk(reply), std::vector<std::string>{std::string(4081, 'k')});
}

TEST_F(ChunkWalk, MoreThanTheBufferIsDroppedWithTheRestOfItsPacket) {
    const Bytes packet = Tpdu(Mmi({Text(std::string(4082, 'k'))}));
    const std::vector<Bytes> parts = Split(packet, 1000);
    for (std::size_t k = 0; k < parts.size(); ++k) {
        EXPECT_TRUE(Walk(Chunk(parts[k], k + 1 < parts.size())).empty());
        EXPECT_LE(receiver.RxLength(), MmiReceiver::kRxBufferSize);
    }
    EXPECT_EQ(Walk(Reply(Tpdu(Mmi({Text("apr\xE8s")})))), std::vector<std::string>{"apr\xC3\xA8s"});
}

TEST_F(ChunkWalk, DamagedRepliesNeverOutgrowTheBufferAndLeaveTheWalkUsable) {
    // Menus and questions with bytes overwritten at random, cut anywhere and framed by chunks of random
    // lengths and flags: whatever they say, the gathered bytes stay within the buffer, and a whole packet
    // afterwards is still understood.
    std::mt19937 random(50221);
    const Bytes menu =
        Tpdu(Mmi({Menu("Titre", "Sous-titre", "Bas", {"un", "deux", "trois"}), Enquiry(true, 4, "PIN")}));
    for (int round = 0; round < 3000; ++round) {
        Bytes damaged = menu;
        for (int k = std::uniform_int_distribution<int>(1, 6)(random); k > 0; --k) {
            damaged[std::uniform_int_distribution<std::size_t>(0, damaged.size() - 1)(random)] =
                static_cast<std::uint8_t>(random());
        }
        damaged.resize(std::uniform_int_distribution<std::size_t>(0, damaged.size())(random));
        Bytes reply = Chunk(damaged, (random() & 1) != 0, (random() & 7) == 0);
        if ((random() & 3) == 0) {
            // The chunk's own length word damaged too.
            reply[std::uniform_int_distribution<std::size_t>(0, 1)(random)] = static_cast<std::uint8_t>(random());
        }
        Walk(reply);
        ASSERT_LE(receiver.RxLength(), MmiReceiver::kRxBufferSize);
    }
    receiver.Reset();
    EXPECT_EQ(Walk(Reply(Tpdu(Mmi({Text("intact")})))), std::vector<std::string>{"intact"});
}

TEST_F(ChunkWalk, ResetForgetsWhatWasGathered) {
    const std::vector<Bytes> parts = Split(Tpdu(Mmi({Text("ancien")})), 6);
    Walk(Chunk(parts[0], true));
    receiver.Reset();
    EXPECT_EQ(receiver.RxLength(), 0u);
    EXPECT_EQ(Walk(Reply(Tpdu(Mmi({Text("neuf")})))), std::vector<std::string>{"neuf"});
}

}  // namespace
}  // namespace kelvane
