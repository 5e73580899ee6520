// Every prefix of valid images and replies, as a module cut short would send them.
#include "panel/EditSequence.h"
#include "panel/ImageBytes.h"
#include "panel/InputConfigCodec.h"
#include "panel/OutputConfigCodec.h"
#include "panel/PairModel.h"
#include "panel/Schedule.h"
#include "panel/ServiceNames.h"
#include "panel/StatusReplies.h"

#include "tests/panel/PanelBytes.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

using test::Image;
using test::PanelBytes;
using test::Record;

// The record holds the first `length` bytes of `image` and, behind them, bytes it does not own: decoding must
// give the same fields whatever those are.
SlotRecord Prefix(std::uint8_t type, const std::vector<std::uint8_t>& image, std::size_t length, std::uint8_t behind) {
    SlotRecord record = Record(type, image);
    std::fill(record.Config.begin() + static_cast<std::ptrdiff_t>(length), record.Config.end(), behind);
    record.ConfigLength = static_cast<std::uint16_t>(length);
    return record;
}

PanelModel Pair(std::uint8_t inputType, std::uint8_t outputType) {
    PanelModel m;
    m.InputType = inputType;
    m.InputCount = inputType == 7 ? 3 : 1;
    m.OutputType = outputType;
    m.OutputChannelCount = outputType == 2 ? 1 : 4;
    return m;
}

std::vector<std::uint8_t> ReEncodedInput(const SlotRecord& input) {
    PanelModel m = Pair(input.Type, 6);
    DecodeInputConfig(input, m);
    EXPECT_GE(m.ScheduleCount, 0);
    EXPECT_LE(m.ScheduleCount, kMaxScheduleEntries);
    SlotRecord out = Record(input.Type, {});
    EXPECT_TRUE(EncodeInputConfig(m, out));
    return Image(out);
}

std::vector<std::uint8_t> ReEncodedOutput(const SlotRecord& output) {
    PanelModel m = Pair(1, output.Type);
    m.OutputFreqKHz = 500000;
    DecodeOutputConfig(&output, m);
    EXPECT_LE(m.OutputServiceCount, kMaxOutputServices);
    SlotRecord out = Record(output.Type, {0x0F, 0xA0});
    EXPECT_TRUE(EncodeOutputConfig(m, out));
    return Image(out);
}

TEST(MalformedInput, CutInputImagesNeverReadPastTheirLength) {
    PanelBytes image;
    image.U16(1100).U16(27500).U8(0x80).U8(2).U16(101).U16(102).U8(1).U8(2);
    image.U16(1949).U16(22000).U8(0).U8(1).U16(201).U8(3);
    image.U16(950).U16(1).U8(0).U8(0);
    image.U16(4000).U8(2).U32(480).U32(600).Text("m.ts").U32(840).U32(900).Text("n.ts").U8(7).Text("Name");
    for (std::size_t length = 0; length <= image.Size(); ++length) {
        SCOPED_TRACE(length);
        EXPECT_EQ(ReEncodedInput(Prefix(7, image.Bytes(), length, 0x00)),
                  ReEncodedInput(Prefix(7, image.Bytes(), length, 0xA5)));
    }
}

TEST(MalformedInput, CutOutputImagesNeverReadPastTheirLength) {
    for (const std::uint8_t type : {std::uint8_t{2}, std::uint8_t{6}}) {
        PanelModel m = Pair(1, type);
        m.OutputFreqKHz = 474000;
        m.NetworkName = "Net";
        m.RemoveCatEmm = true;
        for (int k = 0; k < 3; ++k) m.OutputServices[m.OutputServiceCount++] = {100 + k, 1, 2, 1, 1};
        SlotRecord full = Record(type, {});
        ASSERT_TRUE(EncodeOutputConfig(m, full));
        const std::vector<std::uint8_t> image = Image(full);
        for (std::size_t length = 0; length <= image.size(); ++length) {
            SCOPED_TRACE(length);
            EXPECT_EQ(ReEncodedOutput(Prefix(type, image, length, 0x00)),
                      ReEncodedOutput(Prefix(type, image, length, 0xA5)));
        }
    }
}

// A KXD410 whose image gives its network section 1 to 5 bytes (the size word says 3 to 7): too short to hold a
// version. An edit of the pair reads the section it replaces only as far as it goes, and writes a whole one.
TEST(MalformedInput, AnEditOverASectionTooShortForItsVersionStaysInside) {
    const std::vector<std::uint8_t> head{0x11, 0x10, 0x02, 0x02, 0x02, 0x00, 0x00, 0x10, 0x00, 0x30,
                                         0x01, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04};
    for (std::uint8_t sectionBytes = 1; sectionBytes <= 5; ++sectionBytes) {
        SCOPED_TRACE(static_cast<int>(sectionBytes));
        std::vector<std::uint8_t> image = head;
        image.insert(image.end(), {0x00, static_cast<std::uint8_t>(sectionBytes + 2), 0x00, 0x00});
        image.insert(image.end(), sectionBytes, 0x40);
        image.push_back(0x00);
        SlotTable slots;
        slots.ModuleCount = 3;
        slots[1] = Record(1, {0x06, 0xA4, 0x6B, 0x6C, 16, 0});
        slots[1].Address = 1;
        slots[2] = Record(5, image);
        slots[2].Address = 2;
        ASSERT_EQ(NetworkSectionOf(slots[2]).size(), sectionBytes);

        PanelModel m = ModelOfPair(0, slots[1], &slots[2]);
        m.OutputFreqKHz = 554000;
        ASSERT_TRUE(EncodePair(m, slots, slots[1], &slots[2]).Written());
        EXPECT_GT(NetworkSectionOf(slots[2]).size(), 16u);
        EXPECT_EQ(ByteReader(ValidImage(slots[2])).U16(0), 554000 / 125);
    }
}

TEST(MalformedInput, CutRepliesAreReadOnlyAsFarAsTheyGo) {
    PanelBytes names;
    names.U8(2).U16(1).Text("One").U16(2).Text("Two").U8(1).U8(3).U32(0);
    names.U8(0).U8(1).U16(3).Text("Three").U8(1).U32(0);
    PanelBytes rates;
    rates.U32(0);
    for (int k = 0; k < 4; ++k) rates.U32(1000).U32(2000).U32(0);
    rates.U16(1).U16(10).U16(2).U16(20);
    PanelBytes files;
    files.U16(0).U16(3).Text("a").Text("bb").Text("ccc");
    const std::vector<std::uint8_t> status{2, 50, 60, 1, 40, 30, 0, 0, 0, 1};

    // Each prefix is copied into a buffer of exactly its size, so a read past it is caught by the sanitizers.
    for (std::size_t length = 0; length <= names.Size(); ++length) {
        const std::vector<std::uint8_t> cut(names.Bytes().begin(), names.Bytes().begin() + length);
        PanelModel m = Pair(7, 6);
        ParseServiceNames(cut, m);
        for (const SiServiceTable& row : m.InputSiServices) EXPECT_LE(row.count, kMaxServicesPerRow);
    }
    for (std::size_t length = 0; length <= rates.Size(); ++length) {
        const std::vector<std::uint8_t> cut(rates.Bytes().begin(), rates.Bytes().begin() + length);
        const OutputRates parsed = ParseOutputRates(cut, 4, 6);
        EXPECT_EQ(parsed.channels.size(), std::min<std::size_t>(4, length / 12));
        EXPECT_EQ(parsed.services.size(), length < 52 ? 0 : (length - 52) / 4);
    }
    for (std::size_t length = 0; length <= files.Size(); ++length) {
        const std::vector<std::uint8_t> cut(files.Bytes().begin(), files.Bytes().begin() + length);
        EXPECT_LE(ParseFileList(cut).size(), 3u);
    }
    for (std::size_t length = 0; length <= status.size(); ++length) {
        const std::vector<std::uint8_t> cut(status.begin(), status.begin() + length);
        const InputStatus parsed = ParseInputStatus(cut, 3);
        EXPECT_EQ(parsed.rows, static_cast<int>(std::min<std::size_t>(3, length / 3)));
        EXPECT_EQ(parsed.player.has_value(), length == status.size());
    }
}

}  // namespace
}  // namespace kelvane
