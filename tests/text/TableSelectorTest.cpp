// The two steps of reading a broadcast or CAM text: the selector that opens it, then its characters.

#include "text/TableSelector.h"
#include "text/TextDecoding.h"
#include "text/Utf8.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::optional<TableSelection> Selector(const Bytes& bytes) { return ParseTableSelector(bytes); }
TableSelection Iso(int part, std::size_t length) { return {{TableKind::Iso8859, part}, length}; }
TableSelection Kind(TableKind kind, std::size_t length) { return {{kind, 0}, length}; }

TEST(TableSelector, OneByteSelectors) {
    EXPECT_EQ(Selector({}), Kind(TableKind::Latin1, 0));
    EXPECT_EQ(Selector({'A', 0x05}), Kind(TableKind::Latin1, 0));
    EXPECT_EQ(Selector({0x20}), Kind(TableKind::Latin1, 0));
    EXPECT_EQ(Selector({0xE9}), Kind(TableKind::Latin1, 0));
    EXPECT_EQ(Selector({0x01, 'x'}), Iso(5, 1));
    EXPECT_EQ(Selector({0x05}), Iso(9, 1));
    EXPECT_EQ(Selector({0x07}), Iso(11, 1));
    EXPECT_EQ(Selector({0x08}), Kind(TableKind::Unknown, 1));  // there is no part 12
    EXPECT_EQ(Selector({0x09}), Iso(13, 1));
    EXPECT_EQ(Selector({0x0B}), Iso(15, 1));
    EXPECT_EQ(Selector({0x11}), Kind(TableKind::Ucs2, 1));
    EXPECT_EQ(Selector({0x15}), Kind(TableKind::Utf8, 1));
    for (const std::uint8_t reserved : {0x00, 0x0C, 0x0F, 0x12, 0x13, 0x14, 0x16, 0x1E}) {
        EXPECT_EQ(Selector({reserved, 'a'}), Kind(TableKind::Unknown, 1)) << int{reserved};
    }
}

TEST(TableSelector, TableNumbersAndSelectorsCutShort) {
    EXPECT_EQ(Selector({0x10, 0x00, 0x01}), Iso(1, 3));
    EXPECT_EQ(Selector({0x10, 0x00, 0x02, 'a'}), Iso(2, 3));
    EXPECT_EQ(Selector({0x10, 0x00, 0x0F}), Iso(15, 3));
    EXPECT_EQ(Selector({0x10, 0x00, 0x0C}), Kind(TableKind::Unknown, 3));
    EXPECT_EQ(Selector({0x10, 0x00, 0x10}), Kind(TableKind::Unknown, 3));
    EXPECT_EQ(Selector({0x10, 0x01, 0x02}), Kind(TableKind::Unknown, 3));
    EXPECT_EQ(Selector({0x1F, 0x01, 'a'}), Kind(TableKind::Unknown, 2));
    EXPECT_EQ(Selector({0x10}), std::nullopt);
    EXPECT_EQ(Selector({0x10, 0x00}), std::nullopt);
    EXPECT_EQ(Selector({0x1F}), std::nullopt);
}

TEST(DecodeText, EachTableReadsItsCharacters) {
    EXPECT_EQ(DecodeText(Bytes{'C', 'a', 'f', 0xE9}).utf8, "Caf\xC3\xA9");
    EXPECT_EQ(DecodeText(Bytes{0x01, 0xBC, 0xD8, 0xE0}).utf8, "\xD0\x9C\xD0\xB8\xD1\x80");
    EXPECT_EQ(DecodeText(Bytes{0x03, 0xC1}).utf8, "\xCE\x91");
    EXPECT_EQ(DecodeText(Bytes{0x0B, 0xA4, '5'}).utf8,
              "\xE2\x82\xAC"
              "5");
    EXPECT_EQ(DecodeText(Bytes{0x10, 0x00, 0x02, 0xA3, 0xF3, 'd', 0xBC}).utf8,
              "\xC5\x81\xC3\xB3"
              "d\xC5\xBA");
    EXPECT_EQ(DecodeText(Bytes{0x10, 0x00, 0x01, 0xE9}).utf8, "\xC3\xA9");
    EXPECT_EQ(DecodeText(Bytes{0x11, 0x04, 0x1C, 0x00, '!'}).utf8, "\xD0\x9C!");
    EXPECT_EQ(DecodeText(Bytes{0x15, 'O', 0xC3, 0xB9}).utf8, "O\xC3\xB9");
    for (const Bytes& text : {Bytes{'a', 0xA0}, Bytes{0x05, 0xFD}, Bytes{0x11, 0x00, 'a'}, Bytes{0x15, 'x'}}) {
        EXPECT_TRUE(DecodeText(text).complete);
    }
}

TEST(DecodeText, WhatCannotBeReadIsShownAsSuchAndSaidSo) {
    const auto expect = [](const Bytes& bytes, const std::string& utf8) {
        const DecodedText decoded = DecodeText(bytes);
        EXPECT_EQ(decoded.utf8, utf8) << testing::PrintToString(bytes);
        EXPECT_FALSE(decoded.complete) << testing::PrintToString(bytes);
    };
    expect({0x10, 0x00}, "");  // selector cut short
    expect({0x12, 'K', 'B', 'S', 0xB0, 0xA1, 0x0A}, "KBS");  // no Korean table: its printable ASCII
    expect({0x08, 'a', 0xE9}, "a");
    expect({0x15, 0xC0, 0xAF, 'a'},
           "\xEF\xBF\xBD\xEF\xBF\xBD"
           "a");  // no overlong '/'
    expect({0x07, 0xDB, 'a'},
           "\xEF\xBF\xBD"
           "a");  // unassigned in 8859-11
    expect({0x11, 0x00, 'a', 0x00}, "a");  // an odd last byte
}

TEST(DecodeText, ControlCodesAreKeptForWhatShowsThem) {
    EXPECT_EQ(DecodeText(Bytes{'a', 0x1B, '[', '2', 'J', 0x8A, 0x7F}).utf8, "a\x1B[2J\xC2\x8A\x7F");
    EXPECT_EQ(DecodeText(Bytes{0x15, 0xC2, 0x9B, '3', '1', 'm'}).utf8,
              "\xC2\x9B"
              "31m");
}

bool IsValidUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        if (!NextUtf8Character(text, i)) return false;
    }
    return true;
}

// Whatever a CAM or a broadcast sends, what comes out is UTF-8 that every reader of the program takes whole.
TEST(DecodeText, AnyBytesGiveValidUtf8) {
    for (int first = 0; first < 256; ++first) {
        for (int second = 0; second < 256; ++second) {
            for (const Bytes& text :
                 {Bytes{static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(second)},
                  Bytes{static_cast<std::uint8_t>(first), 0xC3, static_cast<std::uint8_t>(second)},
                  Bytes{0x10, static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(second), 0xE9}}) {
                ASSERT_TRUE(IsValidUtf8(DecodeText(text).utf8)) << testing::PrintToString(text);
            }
        }
    }
}

}  // namespace
}  // namespace kelvane
