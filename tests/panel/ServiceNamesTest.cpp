#include "panel/ServiceNames.h"

#include "tests/panel/PanelBytes.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

using test::PanelBytes;

PanelModel Player() {
    PanelModel m;
    m.InputCount = 3;
    return m;
}

TEST(ServiceNames, ReadsEveryRowWithNamesAndFlags) {
    EXPECT_EQ(SiChar(0x22), U'\'');
    EXPECT_EQ(SiChar(0x7F), U'.');
    EXPECT_EQ(SiChar(0xE9), U'\u00E9');

    PanelBytes reply;
    reply.U8(2)
        .U16(0x0101)
        .Text(
            "\x86"
            "AB\x87")
        .U16(0x0102)
        .Text(
            "Rock \x22"
            "n\x22 Roll\xE9");
    reply.U8(0x03).U8(0x00).U32(0);
    reply.U8(0);  // row B announces nothing: one byte
    reply.U8(1)
        .U16(0x0301)
        .Text(
            "\x0A\x1F\x9F"
            "C\xAD\xA0")
        .U8(0x01)
        .U32(0);
    PanelModel m = Player();
    EXPECT_TRUE(ParseServiceNames(reply.Bytes(), m));
    EXPECT_TRUE(m.NamesRead);

    ASSERT_EQ(m.InputSiServices[0].count, 2);
    const SiService& first = m.InputSiServices[0].entries[0];
    EXPECT_EQ(first.ServiceId, 0x0101);
    EXPECT_EQ(first.Name, "AB");
    EXPECT_EQ(first.ServiceKind, 1);
    EXPECT_EQ(first.Scrambled, 1);
    const SiService& second = m.InputSiServices[0].entries[1];
    EXPECT_EQ(second.Name, "Rock 'n' Roll\xC3\xA9");
    EXPECT_EQ(second.ServiceKind, 2);
    EXPECT_EQ(second.Scrambled, 0);
    EXPECT_EQ(m.InputSiServices[1].count, 0);
    ASSERT_EQ(m.InputSiServices[2].count, 1);
    EXPECT_EQ(m.InputSiServices[2].entries[0].Name, "C-.");

    // A tuner has one row: what follows it is not read.
    PanelModel tuner;
    ParseServiceNames(reply.Bytes(), tuner);
    EXPECT_EQ(tuner.InputSiServices[0].count, 2);
    EXPECT_EQ(tuner.InputSiServices[2].count, 0);
}

TEST(ServiceNames, NamesAreReadInTheTableTheirFirstByteSelects) {
    PanelBytes reply;
    reply.U8(4)
        .U16(1)
        .Text("\x05\xDDzmir TV")
        .U16(2)
        .Text(
            "\x15"
            "Caf\xC3\xA9 \x22"
            "1\x22");
    reply.U16(3).Text("\x01\xBC\xD8\xE0").U16(4).Text("\x12KBS\x86\xB0\xA1");
    reply.U8(1).U8(1).U8(1).U8(1).U32(0);
    PanelModel tuner;
    ParseServiceNames(reply.Bytes(), tuner);
    ASSERT_EQ(tuner.InputSiServices[0].count, 4);
    EXPECT_EQ(tuner.InputSiServices[0].entries[0].Name, "\xC4\xB0zmir TV");  // ISO/IEC 8859-9
    EXPECT_EQ(tuner.InputSiServices[0].entries[1].Name, "Caf\xC3\xA9 '1'");  // UTF-8, quotes as ever
    EXPECT_EQ(tuner.InputSiServices[0].entries[2].Name, "\xD0\x9C\xD0\xB8\xD1\x80");  // ISO/IEC 8859-5
    // A table the program does not have (here the Korean one) keeps the printable ASCII.
    EXPECT_EQ(tuner.InputSiServices[0].entries[3].Name, "KBS");
}

TEST(ServiceNames, RepliesThatDidNotComeWholeChangeNothing) {
    PanelModel m = Player();
    m.InputSiServices[1].count = 1;
    m.InputSiServices[1].entries[0].ServiceId = 44;
    EXPECT_FALSE(ParseServiceNames({}, m));  // a failed request
    EXPECT_FALSE(m.NamesRead);
    EXPECT_EQ(m.InputSiServices[1].count, 1);

    PanelBytes cut;
    cut.U8(1).U16(5).Text("Five").U8(1).U32(0);
    cut.U8(2).U16(6).Text("Six").U16(7).Raw({'S', 'e'});  // ends inside the second name
    EXPECT_FALSE(ParseServiceNames(cut.Bytes(), m));
    EXPECT_EQ(m.InputSiServices[0].count, 0);
    ASSERT_EQ(m.InputSiServices[1].count, 1);
    EXPECT_EQ(m.InputSiServices[1].entries[0].ServiceId, 44);
    EXPECT_FALSE(m.NamesRead);
}

TEST(ServiceNames, RowsBeyondTheTable) {
    PanelModel m = Player();

    PanelBytes many;
    many.U8(70);
    for (int k = 0; k < 70; ++k) many.U16(k).Text("s" + std::to_string(k));
    for (int k = 0; k < 70; ++k) many.U8(k == 63 ? 0x02 : 0x01);
    many.U32(0).U8(1).U16(0x0B0B).Text("B").U8(0x01).U32(0);
    EXPECT_TRUE(ParseServiceNames(many.Bytes(), m));  // row C is not reached: it announces nothing
    ASSERT_EQ(m.InputSiServices[0].count, kMaxServicesPerRow);
    EXPECT_EQ(m.InputSiServices[0].entries[63].Scrambled, 1);
    ASSERT_EQ(m.InputSiServices[1].count, 1);
    EXPECT_EQ(m.InputSiServices[1].entries[0].ServiceId, 0x0B0B);
}

}  // namespace
}  // namespace kelvane
