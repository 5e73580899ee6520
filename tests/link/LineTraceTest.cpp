// The line trace: frames cut from the traffic as they went on the line, and the pcapng file they land in,
// read back here by a reader of the format written independently of the writer.

#include "link/FrameEncoder.h"
#include "link/FrameSplitter.h"
#include "link/LineTrace.h"
#include "link/TracingPort.h"
#include "link/Xmit.h"
#include "tests/support/ScriptedPort.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kelvane {
namespace {

using test::Bytes;
using test::ReplyFrame;

std::vector<Bytes> Split(FrameSplitter& splitter, const Bytes& stream) {
    std::vector<Bytes> frames;
    for (std::uint8_t b : stream) {
        if (splitter.Feed(b)) frames.emplace_back(splitter.Frame().begin(), splitter.Frame().end());
    }
    return frames;
}

Bytes Encoded(std::uint8_t address, std::uint8_t command, const Bytes& payload) {
    FrameEncoder encoder;
    EXPECT_TRUE(encoder.Encode(address, command, payload));
    return {encoder.Bytes().begin(), encoder.Bytes().end()};
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(FrameSplitter, RepliesAreCutWholeWithTheirStuffingAndAbandonedFramesAreDropped) {
    Bytes payload(1030, 0x02);  // every byte doubled on the line; two length bytes
    payload[0] = 0x41;
    const Bytes reply = ReplyFrame(0xF0, payload, 0x02);  // from address 2, whose source byte is doubled too
    const Bytes small = ReplyFrame(0xF0, {0x77, 0x00, 0x15}, 0x00);
    const Bytes cut(small.begin(), small.begin() + 5);  // a frame the next start abandons
    FrameSplitter splitter(FrameSplitter::Header::Stuffed);
    const auto frames = Split(splitter, Concat({{0x55, 0x02, 0x02, 0x00}, cut, reply, small}));
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], reply);
    EXPECT_EQ(frames[1], small);
    EXPECT_EQ(splitter.Source(), 0x00);
}

TEST(FrameSplitter, RequestsAreCutAsWrittenWithTheirRawAddresses) {
    // Address 2 goes out raw: read as the line is read, it would look like a doubled data byte.
    const Bytes request = Encoded(0x02, 0x50, Bytes(300, 0x02));
    const Bytes probe = Encoded(0x00, 0x10, {});
    FrameSplitter splitter(FrameSplitter::Header::Raw);
    const auto frames = Split(splitter, Concat({request, probe, request}));
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0], request);
    EXPECT_EQ(frames[1], probe);
    EXPECT_EQ(frames[2], request);
}

// A pcapng file read back block by block, checking the framing every block must have.
struct TracedPacket {
    std::uint32_t flags = 0;
    std::uint64_t microseconds = 0;
    Bytes data;
};

std::uint32_t U32At(const std::string& f, std::size_t at) {
    std::uint32_t v = 0;
    for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<std::uint8_t>(f.at(at + static_cast<std::size_t>(k)));
    return v;
}

std::vector<TracedPacket> ReadPcapng(const std::string& file, std::uint16_t& linkType) {
    std::vector<TracedPacket> packets;
    std::size_t at = 0;
    int block = 0;
    while (at < file.size()) {
        const std::uint32_t type = U32At(file, at);
        const std::uint32_t length = U32At(file, at + 4);
        EXPECT_EQ(length % 4, 0u) << "block " << block;
        EXPECT_EQ(U32At(file, at + length - 4), length) << "block " << block << ": trailing length";
        if (block == 0) {
            EXPECT_EQ(type, 0x0A0D0D0Au);
            EXPECT_EQ(U32At(file, at + 8), 0x1A2B3C4Du);
        } else if (block == 1) {
            EXPECT_EQ(type, 1u);
            linkType = static_cast<std::uint16_t>(U32At(file, at + 8) & 0xFFFF);
        } else {
            EXPECT_EQ(type, 6u);
            TracedPacket p;
            p.microseconds = (std::uint64_t{U32At(file, at + 12)} << 32) | U32At(file, at + 16);
            const std::uint32_t captured = U32At(file, at + 20);
            EXPECT_EQ(U32At(file, at + 24), captured);
            p.data.assign(file.begin() + static_cast<std::ptrdiff_t>(at + 28),
                          file.begin() + static_cast<std::ptrdiff_t>(at + 28 + captured));
            const std::size_t options = at + 28 + (captured + 3) / 4 * 4;
            EXPECT_EQ(U32At(file, options), 0x00040002u) << "epb_flags, 4 bytes";
            p.flags = U32At(file, options + 4);
            packets.push_back(p);
        }
        at += length;
        ++block;
    }
    return packets;
}

class TracedLink : public ::testing::Test {
protected:
    void SetUp() override {
        auto stream = std::make_unique<std::ostringstream>();
        out_ = stream.get();
        trace_ = LineTrace::Create(
            std::move(stream), "test", "kelvane test", [&](const std::string& m) { reports_.push_back(m); },
            [&] { return now_++; });
        ASSERT_NE(trace_, nullptr);
    }

    std::vector<TracedPacket> Packets() {
        std::uint16_t linkType = 0;
        auto packets = ReadPcapng(out_->str(), linkType);
        EXPECT_EQ(linkType, 147);
        return packets;
    }

    VirtualClock clock_;
    test::ScriptedPortOpener scripted_{clock_};
    std::ostringstream* out_ = nullptr;
    std::unique_ptr<LineTrace> trace_;
    std::vector<std::string> reports_;
    std::uint64_t now_ = 1'700'000'000'000'000;
};

TEST_F(TracedLink, EveryFrameWrittenAndEveryReplyIsRecordedOnceAndTheEchoIsNot) {
    const Bytes reply = ReplyFrame(0xF0, {0x01, 0x02, 0x03}, 0x02);
    // One reaction a write: the request goes out in three chunks, and only its second try is answered.
    scripted_.Install(0, {{ReplyFrame(0xF0, {0x77, 0x00, 0x15})}, {{}}, {{}}, {{}}, {{}}, {{}}, {reply}});
    TracingPortOpener ports(scripted_, *trace_);
    CXmit link(ports, clock_);
    ASSERT_TRUE(link.FindPort());
    // A frame long enough to go out in three chunks, its first try unanswered.
    const Bytes big(1024, 0x5A);
    ASSERT_TRUE(link.XmitRequest(big, 0x02, 0x50, 10));
    const Bytes request = Encoded(0x02, 0x50, big);
    ASSERT_GT(request.size(), 2 * CXmit::kWriteChunk);

    const auto packets = Packets();
    ASSERT_EQ(packets.size(), 2u + 2u + 1u) << "probe and its reply; two tries of the request; one reply";
    EXPECT_EQ(packets[0].flags, 2u);
    EXPECT_EQ(packets[0].data, Encoded(0x00, 0x10, {}));
    EXPECT_EQ(packets[1].flags, 1u);
    for (std::size_t k = 2; k < 4; ++k) {
        EXPECT_EQ(packets[k].flags, 2u) << k;
        EXPECT_EQ(packets[k].data, request) << k;
    }
    EXPECT_EQ(packets[4].flags, 1u);
    EXPECT_EQ(packets[4].data, reply);
    EXPECT_LT(packets[0].microseconds, packets[4].microseconds);
    EXPECT_TRUE(reports_.empty());
}

// A far line behind the trace: what the link learns of the line through the wrapper must be what the line says.
class FarLine final : public SerialPort {
public:
    bool Write(std::span<const std::uint8_t>) override { return true; }
    ReadResult Read(std::span<std::uint8_t>, std::chrono::milliseconds) override { return {}; }
    ReadResult ReadExpecting(std::span<std::uint8_t> into, std::size_t expected, std::chrono::milliseconds) override {
        expectedSeen = expected;
        into[0] = 0x02;
        return {1, ReadStatus::Received};
    }
    bool HungUp() const override { return true; }
    std::chrono::milliseconds ExtraLatency() const override { return std::chrono::milliseconds(250); }
    std::size_t expectedSeen = 0;
};

TEST_F(TracedLink, ATracedPortKeepsItsLinesLatencyAndItsWayOfGatheringBytes) {
    auto line = std::make_unique<FarLine>();
    FarLine& far = *line;
    TracingPort traced(std::move(line), *trace_);
    EXPECT_EQ(traced.ExtraLatency(), std::chrono::milliseconds(250));
    EXPECT_TRUE(traced.HungUp());
    std::array<std::uint8_t, 16> buffer{};
    EXPECT_EQ(traced.ReadExpecting(buffer, 12, std::chrono::milliseconds(5)).count, 1u);
    EXPECT_EQ(far.expectedSeen, 12u);
}

// A stream that takes `room` bytes and then refuses everything.
class FullAfter : public std::streambuf {
public:
    explicit FullAfter(std::size_t room) : room_(room) {}

protected:
    int_type overflow(int_type c) override {
        if (room_ == 0) return traits_type::eof();
        --room_;
        return c;
    }

private:
    std::size_t room_;
};

TEST(LineTrace, ATraceThatCannotBeWrittenIsReportedOnceAndStopsWithoutFailingTheLink) {
    std::vector<std::string> reports;
    const auto report = [&](const std::string& m) { reports.push_back(m); };
    EXPECT_EQ(LineTrace::Create("/nonexistent-folder/trace.pcapng", "kelvane", report), nullptr);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("/nonexistent-folder/trace.pcapng"), std::string::npos);

    reports.clear();
    FullAfter buffer(200);  // room for the headers and one packet, not two
    auto stream = std::make_unique<std::ostream>(&buffer);
    auto trace = LineTrace::Create(std::move(stream), "disk.pcapng", "kelvane", report);
    ASSERT_NE(trace, nullptr);
    const Bytes frame(40, 0x11);
    for (int k = 0; k < 5; ++k) trace->Record(LineTrace::Direction::Outbound, frame);
    EXPECT_TRUE(trace->Stopped());
    ASSERT_EQ(reports.size(), 1u) << "reported once, not once a frame";
    EXPECT_NE(reports[0].find("disk.pcapng"), std::string::npos);
}

}  // namespace
}  // namespace kelvane
