// Every prefix of valid images and replies, as a module cut short would send them.
#include "panel/InputConfigCodec.h"
#include "panel/OutputConfigCodec.h"
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
SlotRecord Prefix(std::uint8_t type, const std::vector<std::uint8_t>& image, std::size_t length,
                  std::uint8_t behind) {
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
