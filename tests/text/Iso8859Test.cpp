// The ISO/IEC 8859 tables, each byte of each part checked against glibc's iconv, an independent reading of
// the same code charts, and a few characters checked against the charts themselves.

#include "text/Iso8859.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <array>
#include <cerrno>
#include <optional>
#include <string>

namespace kelvane {
namespace {

constexpr std::array kParts{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14, 15};

// What glibc makes of one byte in ISO/IEC 8859-`part`: its character, or nothing when it has none.
class IconvTable {
public:
    explicit IconvTable(int part) {
        const std::string name = "ISO-8859-" + std::to_string(part);
        handle_ = iconv_open("UTF-32BE", name.c_str());
    }
    ~IconvTable() {
        if (Usable()) iconv_close(handle_);
    }
    IconvTable(const IconvTable&) = delete;
    IconvTable& operator=(const IconvTable&) = delete;

    bool Usable() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    std::optional<char32_t> Character(std::uint8_t byte) {
        char in = static_cast<char>(byte);
        std::array<unsigned char, 8> out{};
        char* inAt = &in;
        auto* outAt = reinterpret_cast<char*>(out.data());
        std::size_t inLeft = 1;
        std::size_t outLeft = out.size();
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        if (iconv(handle_, &inAt, &inLeft, &outAt, &outLeft) == static_cast<std::size_t>(-1)) return std::nullopt;
        if (out.size() - outLeft != 4) return std::nullopt;
        return static_cast<char32_t>(out[0]) << 24 | static_cast<char32_t>(out[1]) << 16 |
               static_cast<char32_t>(out[2]) << 8 | out[3];
    }

private:
    iconv_t handle_;
};

TEST(Iso8859, EveryByteOfEveryPartReadsAsGlibcReadsIt) {
    for (const int part : kParts) {
        IconvTable iconv(part);
        ASSERT_TRUE(iconv.Usable()) << "glibc has no ISO-8859-" << part;
        for (int byte = 0; byte < 256; ++byte) {
            const auto b = static_cast<std::uint8_t>(byte);
            EXPECT_EQ(Iso8859Character(part, b), iconv.Character(b)) << "ISO-8859-" << part << " byte " << byte;
        }
    }
}

TEST(Iso8859, CharactersFromTheCodeCharts) {
    EXPECT_EQ(Iso8859Character(1, 0xE9), char32_t{0x00E9});  // e acute
    EXPECT_EQ(Iso8859Character(2, 0xA3), char32_t{0x0141});  // L stroke
    EXPECT_EQ(Iso8859Character(3, 0xA5), std::nullopt);  // unassigned
    EXPECT_EQ(Iso8859Character(4, 0xA2), char32_t{0x0138});  // kra
    EXPECT_EQ(Iso8859Character(5, 0xB0), char32_t{0x0410});  // Cyrillic A
    EXPECT_EQ(Iso8859Character(5, 0xF0), char32_t{0x2116});  // numero sign
    EXPECT_EQ(Iso8859Character(6, 0xC7), char32_t{0x0627});  // Arabic alef
    EXPECT_EQ(Iso8859Character(6, 0xA1), std::nullopt);
    EXPECT_EQ(Iso8859Character(7, 0xC1), char32_t{0x0391});  // Greek Alpha
    EXPECT_EQ(Iso8859Character(8, 0xE0), char32_t{0x05D0});  // Hebrew alef
    EXPECT_EQ(Iso8859Character(9, 0xFD), char32_t{0x0131});  // dotless i
    EXPECT_EQ(Iso8859Character(9, 0xDD), char32_t{0x0130});  // I with dot
    EXPECT_EQ(Iso8859Character(10, 0xBD), char32_t{0x2015});  // horizontal bar
    EXPECT_EQ(Iso8859Character(11, 0xA1), char32_t{0x0E01});  // Thai ko kai
    EXPECT_EQ(Iso8859Character(11, 0xDB), std::nullopt);
    EXPECT_EQ(Iso8859Character(13, 0xFF), char32_t{0x2019});  // right single quotation mark
    EXPECT_EQ(Iso8859Character(14, 0xA1), char32_t{0x1E02});  // B with dot above
    EXPECT_EQ(Iso8859Character(15, 0xA4), char32_t{0x20AC});  // euro sign
    EXPECT_EQ(Iso8859Character(15, 0xBE), char32_t{0x0178});  // Y diaeresis
}

TEST(Iso8859, TheLowerHalfIsTheSameInEveryPartAndOnlyRealPartsExist) {
    for (const int part : kParts) {
        EXPECT_TRUE(IsIso8859Part(part));
        for (int byte = 0; byte < 0xA0; ++byte) {
            EXPECT_EQ(Iso8859Character(part, static_cast<std::uint8_t>(byte)), static_cast<char32_t>(byte));
        }
    }
    for (const int part : {0, 12, 16, -1, 256}) {
        EXPECT_FALSE(IsIso8859Part(part)) << part;
        EXPECT_EQ(Iso8859Character(part, 'A'), std::nullopt) << part;
    }
}

}  // namespace
}  // namespace kelvane
