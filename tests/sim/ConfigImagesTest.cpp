#include "sim/ConfigImages.h"

#include "sim/NetworkSection.h"
#include "tests/sim/HexBytes.h"
#include "tests/sim/ImageReader.h"

#include <gtest/gtest.h>

namespace kelvane::sim {
namespace {

using test::Hex;
using TagAndBody = std::pair<int, std::vector<std::uint8_t>>;

TagAndBody Descriptor(const test::DescriptorRead& d) { return {d.tag, d.body}; }
TagAndBody Descriptor(int tag, const std::string& hex) { return {tag, Hex(hex)}; }

TEST(InputImages, FrequencyWordSplitsTheBands) {
    EXPECT_EQ(InputFrequencyWord(11700), 0x8000 | 1100);
    EXPECT_EQ(InputFrequencyWord(11699), 1949);
    EXPECT_EQ(InputFrequencyWord(10700), 950);
    EXPECT_EQ(InputFrequencyWord(12750), 0x8000 | 2150);
}

TEST(InputImages, RowsAreLaidOutIdsThenCams) {
    const InputRow row{11699, 0x6B6C, FecByte(4), {{0x0102, 1}, {0x0304, 0}}};
    EXPECT_EQ(InputImage({&row, 1}), Hex("07 9D 6B 6C 12 02 01 02 03 04 01 00"));
}

TEST(InputImages, PlayerTailFollowsTheRows) {
    const InputRow rows[] = {{11700, 1, PolarityByte(1), {}}, {9750, 2, PolarityByte(0), {}}, {9751, 3, 0, {{7, 0}}}};
    const PlayerTail tail{0x1234, {{60, 90, "a"}}, 15, "P"};
    EXPECT_EQ(PlayerImage(rows, tail), Hex("84 4C 00 01 80 00  00 00 00 02 00 00  00 01 00 03 00 01 00 07 00 "
                                           "12 34 01 00 00 00 3C 00 00 00 5A 61 00 0F 50 00"));
}

TEST(OutputImages, LevelStepsMapToTheAmplitudeTable) {
    EXPECT_EQ(LevelByte(30), 255);
    EXPECT_EQ(LevelByte(1), 9);
    EXPECT_EQ(LevelByte(24), 127);
    EXPECT_EQ(LevelByte(0), 9);
    EXPECT_EQ(LevelByte(99), 255);
}

TEST(OutputImages, OneChannelOutputUsesTheActivationMask) {
    OutputSettings s;
    s.type = kKXD400;
    s.frequencyKHz = 474000;
    s.services = {{0x0A0B, 1, false, 5, 0}, {0x0C0D, 1, true, 6, 7}};
    s.transportStreamIds = {0x0101};
    const std::vector<std::uint8_t> image = OutputImage(s);
    // frequency, five indexes and level, n, two ids, 0xFF and mask (service 1 only), LCN and HD LCN tables,
    // network id 8442, one stream id.
    const auto head = Hex("0E D0 02 01 02 01 00 FF 02 0A 0B 0C 0D FF 00 02 00 05 00 06 00 00 00 07 20 FA 01 01");
    ASSERT_GT(image.size(), head.size());
    EXPECT_EQ(std::vector<std::uint8_t>(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(head.size())), head);
}

TEST(OutputImages, SectionSitsBetweenItsLengthAndTheRemoveByte) {
    OutputSettings s;
    s.type = kKXD420;
    s.services = {{0x0010, 3, true, 1, 0}};
    s.removeCatEmm = true;
    const std::vector<std::uint8_t> image = OutputImage(s);
    const std::vector<std::uint8_t> section = NetworkSection(s);
    // P = 9 + 3n + 4n + 2 + 2 * 4 with n = 1.
    const std::size_t p = 9 + 3 + 4 + 2 + 8;
    ASSERT_EQ(image.size(), p + 4 + section.size() + 1);
    EXPECT_EQ((image[p] << 8) | image[p + 1], static_cast<int>(section.size() + 2));
    EXPECT_EQ(image[p + 2], 0);
    EXPECT_EQ(image[p + 3], 0);
    EXPECT_EQ(std::vector<std::uint8_t>(image.begin() + p + 4, image.end() - 1), section);
    EXPECT_EQ(image.back(), 1);
    // Flags of the service: activated, channel 3.
    EXPECT_EQ(image[11], 0x83);
}

TEST(NetworkSections, WithoutServicesOnlyTheHeaderAndNameRemain) {
    OutputSettings s;
    s.networkId = 0x20FA;
    s.nitVersion = 5;
    const std::vector<std::uint8_t> section = NetworkSection(s);
    ASSERT_EQ(section.size(), 18u);
    EXPECT_EQ(std::vector<std::uint8_t>(section.begin(), section.end() - 4),
              Hex("40 F0 0F 20 FA CB 00 00 F0 02 40 00 F0 00"));
    EXPECT_EQ(test::SectionCrc(section), 0u);
}

TEST(NetworkSections, HighestChannelComesFirst) {
    OutputSettings s;
    s.type = kKXD410;
    s.services = {{0x0101, 1, true, 1, 0}, {0x0202, 2, true, 2, 0}};
    s.transportStreamIds = {0x0A01, 0x0A02, 0, 0};
    const test::SectionRead read = test::ReadSection(NetworkSection(s));
    ASSERT_EQ(read.streams.size(), 2u);
    EXPECT_EQ(read.streams[0].streamId, 0x0A02);
    EXPECT_EQ(read.streams[1].streamId, 0x0A01);
    EXPECT_TRUE(read.lengthsAgree);
    EXPECT_TRUE(read.crcOk);
}

TEST(NetworkSections, ChannelWithoutNumbersKeepsThreeDescriptors) {
    OutputSettings s;
    s.type = kKXD420;
    s.bandwidth = 0;
    s.constellation = 2;
    s.codeRate = 1;
    s.guard = 0;
    s.mode = 1;
    s.networkName = "N";
    s.services = {{0x0011, 1, true, 0, 0}};
    const test::SectionRead read = test::ReadSection(NetworkSection(s));
    EXPECT_EQ(read.name, "N");
    ASSERT_EQ(read.streams.size(), 1u);
    const auto& d = read.streams[0].descriptors;
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(Descriptor(d[0]), Descriptor(0x5F, "00 00 00 28"));
    // 6 MHz is bandwidth code 2; 64-QAM with 2/3; 2/3 again, guard 1/32, 8K.
    EXPECT_EQ(Descriptor(d[1]), Descriptor(0x5A, "FF FF FF FF 5F 81 22 FF FF FF FF"));
    EXPECT_EQ(Descriptor(d[2]), Descriptor(0x41, "00 11 01"));
}

TEST(NetworkSections, ChannelNumbersListOnlyNumberedServices) {
    OutputSettings s;
    s.type = kKXD420;
    s.services = {{0x0021, 1, true, 0x0123, 0}, {0x0022, 1, true, 0, 0x0045}};
    const test::SectionRead read = test::ReadSection(NetworkSection(s));
    ASSERT_EQ(read.streams.size(), 1u);
    const auto& d = read.streams[0].descriptors;
    ASSERT_EQ(d.size(), 5u);
    EXPECT_EQ(Descriptor(d[1]), Descriptor(0x83, "00 21 FD 23"));
    EXPECT_EQ(Descriptor(d[2]), Descriptor(0x88, "00 22 FC 45"));
    EXPECT_EQ(read.version, 5);
}

}  // namespace
}  // namespace kelvane::sim
